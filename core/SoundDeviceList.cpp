#include "core/SoundDeviceList.h"

#include <cstddef>
#include <functional>

namespace core {

namespace {

// Whether `part` has a different, non-empty text for every device of the group.
bool tellsApart(const std::vector<std::size_t>& group, const std::function<std::string(std::size_t)>& part) {
    for (std::size_t a = 0; a < group.size(); ++a) {
        if (part(group[a]).empty()) return false;
        for (std::size_t b = 0; b < a; ++b)
            if (part(group[a]) == part(group[b])) return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> deviceLabels(const std::vector<SoundDevice>& devices) {
    std::vector<std::string> shown;
    for (const SoundDevice& device : devices) shown.push_back(device.description.empty() ? device.name : device.description);
    std::vector<std::string> labels = shown;
    std::vector<bool> done(devices.size(), false);
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (done[i]) continue;
        std::vector<std::size_t> group;
        for (std::size_t j = i; j < devices.size(); ++j)
            if (!done[j] && shown[j] == shown[i]) {
                group.push_back(j);
                done[j] = true;
            }
        if (group.size() < 2) continue;
        const std::function<std::string(std::size_t)> parts[] = {
            [&](std::size_t k) { return devices[k].port; },
            [&](std::size_t k) { return devices[k].card; },
            [&](std::size_t k) {
                return devices[k].port.empty() || devices[k].card.empty() ? std::string()
                                                                          : devices[k].port + ", " + devices[k].card;
            },
        };
        bool told = false;
        for (const auto& part : parts)
            if (!told && tellsApart(group, part)) {
                for (std::size_t k : group) labels[k] += " (" + part(k) + ")";
                told = true;
            }
        // Nothing the server says tells them apart: the first keeps its
        // name, the others are counted in list order.
        for (std::size_t n = 1; !told && n < group.size(); ++n)
            labels[group[n]] += " (" + std::to_string(n + 1) + ")";
    }
    return labels;
}

}  // namespace core
