#include "viewer/Timestamp.h"

#include <ctime>

std::string timestampName() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char name[32];
    std::strftime(name, sizeof name, "nbtv-%Y%m%d-%H%M%S", &local);
    return name;
}
