#pragma once
// Names of the pictures in the command strip (ArtworkPictures), for the
// command table: kPictureSave, kPictureRefresh, ...

namespace kestro::ui {

enum CommandPicture : int {
#define KESTRO_PICTURE(name, silkFile) kPicture##name,
#include "res/CommandPictures.inc"
#undef KESTRO_PICTURE
  kCommandPictureCount
};

}  // namespace kestro::ui
