#include "boot/top-level-order.h"

namespace xel {

namespace {

constexpr const char* kFolders[] = {"environment/", "gui/", "console/"};

bool digit(char c) {
    return c >= '0' && c <= '9';
}

bool topic_char(char c) {
    return digit(c) || (c >= 'a' && c <= 'z') || c == '-';
}

} // namespace

std::optional<TopLevelScript> top_level_script(const std::string& path) {
    for (int folder = 0; folder < 3; folder++) {
        std::string prefix = kFolders[folder];
        if (path.rfind(prefix, 0) != 0) continue;
        std::string name = path.substr(prefix.size());
        // GG-PP-t.xel at the least
        if (name.size() < 12 || name.compare(name.size() - 4, 4, ".xel") != 0) return std::nullopt;
        if (!digit(name[0]) || !digit(name[1]) || name[2] != '-' || !digit(name[3]) ||
            !digit(name[4]) || name[5] != '-')
            return std::nullopt;
        for (size_t i = 6; i < name.size() - 4; i++)
            if (!topic_char(name[i])) return std::nullopt;
        int group = (name[0] - '0') * 10 + (name[1] - '0');
        int position = (name[3] - '0') * 10 + (name[4] - '0');
        if (group < 1 || group > kTopLevelGroups) return std::nullopt;
        return TopLevelScript{group, position, folder, path};
    }
    return std::nullopt;
}

} // namespace xel
