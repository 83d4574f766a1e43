# The GeoIP Legacy library, compiled from Debian's source package (fetched by
# scripts/setup.sh into third_party/geoip) with the cross compiler.
set(GEOIP_SOURCE_DIR "${CMAKE_SOURCE_DIR}/third_party/geoip/libGeoIP")
if(NOT EXISTS "${GEOIP_SOURCE_DIR}/GeoIP.c")
  message(FATAL_ERROR "GeoIP Legacy source missing: run scripts/setup.sh")
endif()
add_library(geoip STATIC "${GEOIP_SOURCE_DIR}/GeoIP.c")
target_include_directories(geoip SYSTEM PUBLIC "${GEOIP_SOURCE_DIR}")
target_compile_definitions(geoip PRIVATE
  PACKAGE_VERSION="1.6.12" GEOIPDATADIR="C:/GeoIP" HAVE_STDINT_H)
target_compile_options(geoip PRIVATE -w)
target_link_libraries(geoip PUBLIC ws2_32)

set(KESTRO_COUNTRY_DB "/usr/share/GeoIP/GeoIP.dat")
