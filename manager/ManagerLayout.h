#pragma once
// Where the manager's controls go, in 96-DPI units. Plain numbers, no Win32: the window lays
// itself out with them and its tests read them from here.

namespace manager {

inline constexpr int kClientWidth = 640;
inline constexpr int kClientHeight = 400;
inline constexpr int kSmallestClientWidth = 490;
inline constexpr int kSmallestClientHeight = 220;

struct ButtonPlace {
    int x; // the right-hand buttons count it from the client's right edge
    int width;
};
inline constexpr ButtonPlace kNewPlace{5, 35};
inline constexpr ButtonPlace kDeletePlace{45, 35};
inline constexpr ButtonPlace kRenamePlace{85, 35};
inline constexpr ButtonPlace kSavePlace{125, 35};
inline constexpr ButtonPlace kImportPlace{121, 35};
inline constexpr ButtonPlace kOpenPlace{81, 35};
inline constexpr ButtonPlace kDonatePlace{41, 36};
inline constexpr int kButtonY = 5;
inline constexpr int kButtonHeight = 26;

struct UnitBox {
    int x, y, width, height;
};
inline constexpr UnitBox kNameFieldBox{165, 10, 199, 21};

// The splitter fills the client below the filter field, less these margins; it is made one
// unit shorter than that and takes its full height at the first resize.
inline constexpr int kSplitterX = 5;
inline constexpr int kSplitterY = 62;
inline constexpr int kSplitterMarginsWidth = 10;
inline constexpr int kSplitterMarginsHeight = 66;
inline constexpr int kSplitterCreatedHeight = 333;

// The splitter in units: its first pane's width and the two panes' smallest widths.
inline constexpr int kSeparatorPosition = 156;
inline constexpr int kSmallestListWidth = 116;
inline constexpr int kSmallestEditorWidth = 76;

// Under the buttons, above the list: no wider than the list ever is, so that it stands over the
// list's pane wherever the separator goes and at every size of the window.
inline constexpr UnitBox kFilterFieldBox{kSplitterX, 36, kSmallestListWidth, 21};

} // namespace manager
