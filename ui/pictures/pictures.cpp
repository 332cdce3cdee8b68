#include "ui/pictures/pictures.h"

#include "ui/pictures/embedded_pictures.h"

namespace board {
namespace {

// Each picture is copied out of the program image once, on first use.
template <const embedded::Blob& kBlob>
const ByteSeq& Cached() {
  static const ByteSeq picture(kBlob.data, kBlob.size);
  return picture;
}

}  // namespace

const ByteSeq& BackgroundPicture() { return Cached<embedded::kBackground>(); }
const ByteSeq& NoticeBarPicture() { return Cached<embedded::kNoticeBar>(); }
const ByteSeq& ApiTabOnPicture() { return Cached<embedded::kApiTabOn>(); }
const ByteSeq& ApiTabOffPicture() { return Cached<embedded::kApiTabOff>(); }
const ByteSeq& LogTabOnPicture() { return Cached<embedded::kLogTabOn>(); }
const ByteSeq& LogTabOffPicture() { return Cached<embedded::kLogTabOff>(); }
const ByteSeq& CloseNormalPicture() { return Cached<embedded::kCloseNormal>(); }
const ByteSeq& CloseHoverPicture() { return Cached<embedded::kCloseHover>(); }
const ByteSeq& ClosePressedPicture() {
  return Cached<embedded::kClosePressed>();
}
const ByteSeq& MinimizeNormalPicture() {
  return Cached<embedded::kMinimizeNormal>();
}
const ByteSeq& MinimizeHoverPicture() {
  return Cached<embedded::kMinimizeHover>();
}
const ByteSeq& MinimizePressedPicture() {
  return Cached<embedded::kMinimizePressed>();
}
const ByteSeq& ProgramIcon() { return Cached<embedded::kProgramIcon>(); }

}  // namespace board
