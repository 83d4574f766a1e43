#pragma once
// The seam to the platform's name service (getnameinfo, gethostname).
// Production asks Winsock; tests script answers and delays. Implementations
// are called from the user-interface thread and from lookup threads at once.

#include <memory>
#include <string>

#include "net/NetUtils.h"

namespace kestro {

class NameService {
 public:
  virtual ~NameService() = default;

  // getnameinfo on `address` with `flags` (NI_*). A null `host` or `service`
  // is not asked for. Returns 0 or the Winsock error code; on failure the
  // outputs are left unchanged.
  virtual int QueryNameInfo(const EndpointAddress& address, int flags, std::wstring* host,
                            std::wstring* service) = 0;
  // gethostname: returns 0 or the Winsock error code.
  virtual int QueryHostName(std::wstring& name) = 0;
};

// Winsock. Holds its own Windows Sockets start-up for as long as it lives.
class WinsockNameService final : public NameService {
 public:
  WinsockNameService();
  ~WinsockNameService() override;
  WinsockNameService(const WinsockNameService&) = delete;
  WinsockNameService& operator=(const WinsockNameService&) = delete;

  int QueryNameInfo(const EndpointAddress& address, int flags, std::wstring* host,
                    std::wstring* service) override;
  int QueryHostName(std::wstring& name) override;

 private:
  bool started_ = false;
};

}  // namespace kestro
