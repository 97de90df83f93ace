#pragma once
// The receiver program's window ids: controls, readouts and menu items.
// Each program file has its own header for what it offers; the program's
// state is in viewer/ViewerState.h.

namespace viewer_id {
constexpr int FramePicture = 103, AdjustInput = 113;
constexpr int InvertPicture = 1000, SyncOn = 1100;
constexpr int FrameRateBar = 1010, SlantBar = 200, BrightnessBar = 1020, ContrastBar = 1030,
              SyncLevelBar = 1060;
constexpr int FrameRateReadout = 102, BrightnessReadout = 1021, ContrastReadout = 1031,
              SlantReadout = 1051, SyncLevelReadout = 1061, PictureLevelReadout = 100;
constexpr int LowPass800 = 300, LowPass1200 = 301, LowPass1500 = 302;
constexpr int AmDemodulator = 400, FmDemodulator = 401;
constexpr int MenuExit = 402, MenuIncreaseRate = 403, MenuDecreaseRate = 404, MenuRate312 = 405,
              MenuRate260 = 406, MenuRate234 = 407, MenuRate208 = 408, MenuHelp = 409,
              MenuAbout = 410, MenuAdjustInput = 411;
// The operating aids: the File menu's saving and recording, the tuning
// display and the large picture.
constexpr int MenuSavePicture = 2000, MenuAutoSave = 2001, MenuRecordSound = 2002,
              MenuTuningDisplay = 2003, MenuLargePicture = 2004;
// Sent by the tuning display and the large picture when the user closes them.
constexpr int TuningDisplayClosed = 2010, LargePictureClosed = 2011;
// The automatic picture's items of the "Sample rate" menu.
constexpr int MenuAutoFraming = 2100, MenuCalibratedLevels = 2101, MenuNoiseReduction = 2102;
// "Help > Operating guide".
constexpr int MenuOperatingGuide = 2400;
// The Input menu's sound cards: "Default", then one item per capture source.
constexpr int InputDeviceDefault = 2200, InputDeviceFirst = 2201, InputDeviceLast = 2299;
}  // namespace viewer_id
