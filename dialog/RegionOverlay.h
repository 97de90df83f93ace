#pragma once
// The region overlay's name among the toolkit's windows, for the read-back
// that tests use. Private to dialog/.
#include <QString>

namespace dialog {

inline const QString RegionOverlayName = QStringLiteral("nbtv-region-overlay");

}  // namespace dialog
