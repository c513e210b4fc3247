#pragma once

// The main window's controls as they are laid out: names, kinds, captions,
// containers, rectangles in twips and tab order.
namespace vorkel {

enum class ControlKind { Frame, Label, StatusBar, Button, List };

struct ControlLayout {
    const char* name;
    ControlKind kind;
    const char* caption;
    const char* container; // nullptr: the window's client area
    int left, top, width, height;
    int tabIndex;
};

inline constexpr int Form1ClientWidth = 4200;
inline constexpr int Form1ClientHeight = 3660;
inline constexpr int StatusPanelWidth = 1300;

// In tab-index order; containers come before what they hold.
inline constexpr ControlLayout Form1Layout[] = {
    {"ClusterInfo", ControlKind::Frame, "Cluster Type", nullptr, 120, 2640, 1575, 615, 0},
    {"ClusterInfotext", ControlKind::Label, "", "ClusterInfo", 120, 240, 1335, 255, 1},
    {"StatusBar1", ControlKind::StatusBar, "", nullptr, 0, 3285, 4200, 375, 2},
    {"Command1", ControlKind::Button, "View DTC", nullptr, 1080, 2040, 965, 495, 3},
    {"Connect_Command", ControlKind::Button, "Connect", nullptr, 60, 2040, 965, 495, 4},
    {"Frame1", ControlKind::Frame, "DTC #", nullptr, 3240, 2640, 855, 615, 5},
    {"DTC_label", ControlKind::Label, "", "Frame1", 105, 240, 705, 315, 6},
    {"Frame2", ControlKind::Frame, "DTC List", nullptr, 120, 0, 3975, 1935, 7},
    {"DTC_List", ControlKind::List, "", "Frame2", 120, 240, 3735, 1620, 8},
    {"Frame3", ControlKind::Frame, "Cluster Part #", nullptr, 1680, 2640, 1575, 615, 9},
    {"Part_Label", ControlKind::Label, "", "Frame3", 120, 240, 1335, 255, 10},
    {"DTC_Clear_Button", ControlKind::Button, "Clear DTC", nullptr, 2100, 2040, 965, 495, 11},
    {"Command2", ControlKind::Button, "Exit", nullptr, 3120, 2040, 965, 495, 12},
};

} // namespace vorkel
