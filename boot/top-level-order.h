// The order of the environment scripts' top level. A script's file name
// gives its place: GG-PP-topic.xel, where GG (01-16) is its group of the top
// level and PP its position within the group; folders environment/, gui/ and
// console/ follow one another within a group.
#pragma once
#include <optional>
#include <string>

namespace xel {

constexpr int kTopLevelGroups = 16;

struct TopLevelScript {
    int group;
    int position;
    int folder;
    std::string path; // below the source root, e.g. "environment/02-10-boot-values.xel"

    bool operator<(const TopLevelScript& o) const {
        if (group != o.group) return group < o.group;
        if (position != o.position) return position < o.position;
        if (folder != o.folder) return folder < o.folder;
        return path < o.path;
    }
};

// The place of a script path, or nothing when the path is not a top-level
// script's (wrong folder or name).
std::optional<TopLevelScript> top_level_script(const std::string& path);

} // namespace xel
