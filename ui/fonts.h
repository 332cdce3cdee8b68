#pragma once

#include <QFont>

namespace board {

// The window's two type faces. "微软雅黑" is served by WenQuanYi Micro Hei and
// "宋体" by AR PL UMing CN; sizes are character heights in pixels.
QFont YaheiFont(int characterHeight, bool bold);
QFont SongFont(int characterHeight, bool bold);

}  // namespace board
