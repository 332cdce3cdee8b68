#pragma once

#include <cstddef>

// The PNG files of ui/pictures/images, compiled in as byte arrays by a build
// step. Only pictures.cpp reads these; everyone else asks pictures.h.
namespace board::embedded {

struct Blob {
  const unsigned char* data;
  std::size_t size;
};

extern const Blob kBackground;
extern const Blob kNoticeBar;
extern const Blob kApiTabOn;
extern const Blob kApiTabOff;
extern const Blob kLogTabOn;
extern const Blob kLogTabOff;
extern const Blob kCloseNormal;
extern const Blob kCloseHover;
extern const Blob kClosePressed;
extern const Blob kMinimizeNormal;
extern const Blob kMinimizeHover;
extern const Blob kMinimizePressed;
extern const Blob kProgramIcon;

}  // namespace board::embedded
