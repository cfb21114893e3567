#pragma once
// Where the fix page's eight controls go for a client size and scale: a
// destination in client pixels and the piece of the page picture under it.
#include "dialogs/ContentLayout.h"

namespace layout {

// Text widths measured on the page (pixels at the current scale).
struct FixPageTextWidths {
    int version = 0;    // "1.2.24.1010"
    int agreement = 0;  // "同意《Tessaro服务工具使用许可协议》"
    int feedback = 0;   // "反馈问题"
};

struct FixPageLayout {
    Placement close;      // 1009
    Placement minimize;   // 1010
    Placement version;    // 1012
    Placement uninstall;  // 1014
    Placement moreTools;  // 1013
    Placement agree;      // 1011
    Placement agreement;  // 1015
    Placement feedback;   // 1016
};

// clientW x clientH: the page's client size; picW x picH: the page picture.
FixPageLayout LayoutFixPage(int clientW, int clientH, int picW, int picH, float s,
                            const FixPageTextWidths& widths);

// The more-tools button is for users who did not come through a launcher client.
inline bool MoreToolsShown(int clientKind) { return clientKind < 1; }

}  // namespace layout
