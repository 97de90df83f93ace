#include "transmitter/Synthesis.h"

#include <cmath>

namespace tx {

namespace {

// Degrees to radians, as the signal has always been made: a little off pi/180.
constexpr double DegreeFactor = 0.0174533;
// Tone constants, stored in single precision.
constexpr float DeviationFactor = 0.7f;
constexpr float SpanFactor = 1.7f;
constexpr float LevelFactor = 1.3f;

}  // namespace

float toneLevel(const ScreenPicture& picture, const TransmitterSettings& settings, int line,
                int position) {
    if (settings.lineSync == -1 && position < SyncPulseSamples)
        return static_cast<float>(settings.syncPulseLevel);
    const int column = 93 - 3 * line;
    const int sum = pictureWord(picture, position, column) +
                    pictureWord(picture, position, column + 1) +
                    pictureWord(picture, position, column + 2);
    return static_cast<float>((256 - sum / 3072.0) - 30);
}

double phaseStep(float level) {
    // The level-dependent part is rounded to single precision before it
    // joins the constant part; everything else, 25 x 0.7 and 25 x 1.7
    // included, is worked out in double from the stored constants.
    const float levelTerm = static_cast<float>(
        (DegreeFactor * (180 - 25 * static_cast<double>(SpanFactor))) / 256 *
        static_cast<double>(level) * 0.125 * static_cast<double>(LevelFactor));
    return 8 * (25 * static_cast<double>(DeviationFactor) * DegreeFactor +
                static_cast<double>(levelTerm));
}

float synthesizeFrame(const ScreenPicture& picture, const TransmitterSettings& settings,
                      FrameBuffer& buffer) {
    // The phase is kept in single precision and never wrapped: by the end of
    // a frame it has grown to some 20000 radians, and the samples depend on
    // the precision that leaves.
    float phase = 0.0f;
    int n = 0;
    double steps[LineSamples];
    for (int line = 0; line < LinesPerFrame; ++line) {
        // The steps of a line do not depend on each other; working them out
        // first leaves the phase and the sines a loop of their own.
        for (int position = 0; position < LineSamples; ++position)
            steps[position] = phaseStep(toneLevel(picture, settings, line, position));
        for (int position = 0; position < LineSamples; ++position) {
            ++n;
            phase = static_cast<float>(phase + steps[position]);
            const float sine = static_cast<float>(std::sin(static_cast<double>(phase)));
            // Rounded to the nearest whole number, halves to even (the
            // default rounding mode).
            buffer.frames[static_cast<std::size_t>(n)].left =
                static_cast<std::int16_t>(std::lrint(ToneAmplitude * sine));
        }
    }
    return phase;
}

}  // namespace tx
