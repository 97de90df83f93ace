#pragma once
// "Help > Operating guide": the guide in a window of its own, or a box that
// says where it was looked for.
#include "platform/GuideFiles.h"

// Shows the guide the running program finds.
void showOperatingGuide();
// Shows the guide a search found, or says where it looked.
void showOperatingGuide(const platform::GuideSearch& search);
