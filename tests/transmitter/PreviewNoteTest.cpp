// The note over the transmitter's preview: none while the screen is seen
// and the sound goes out, "No sound output" when the output cannot open.
#include <gtest/gtest.h>

#include "dialog/DialogLayer.h"
#include "dialog/DialogReadBack.h"
#include "tests/common/ModalRun.h"
#include "tests/common/ScriptedSound.h"
#include "transmitter/EventHandler.h"
#include "transmitter/Transmitter.h"
#include "transmitter/Window.h"
#include "transmitter/TransmitterState.h"

namespace {

std::string noteAtStart() {
    std::string note = "(not run)";
    transmitter = TransmitterState{};
    transmitter.window = buildTransmitterWindow();
    win::HWND w = transmitter.window;
    runShown(w, transmitterEvent, [w, &note]() { note = dialog::pictureNote(w, 15, 15); });
    return note;
}

}  // namespace

using TransmitterPreviewNote = ScriptedSoundTest;

TEST_F(TransmitterPreviewNote, SaysSoWhenTheSoundOutputCannotOpen) {
    EXPECT_EQ(noteAtStart(), "");
    wavescript::setOutputDevice(false);
    EXPECT_EQ(noteAtStart(), "No sound output");
}
