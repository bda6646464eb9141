#pragma once
// Runs the schema scripts of the target product's databases: statements end at a terminator at the end
// of a line ("SET TERM" changes it, as in isql), and lines ending in "--@610" belong to the 6.1 set only.

#include "db/Firebird.h"

#include <string>
#include <string_view>
#include <vector>

namespace qz::schema {

// The data version a template set carries: 6.0.0 for the ".600" set, 6.1.0 for the ".610" set.
struct TDataVersion {
    int Major = 6;
    int Minor1 = 0;
    int Minor2 = 0;
    bool HasSiteRecord() const { return Major > 6 || (Major == 6 && Minor1 >= 1); }
};

// The statements of a script text, in order, for the given version.
std::vector<std::string> SplitScript(std::string_view script, const TDataVersion& version);

// Runs every statement of a script, each committed on its own so later ones see earlier objects.
void RunScript(fb::TAttachment& attachment, std::string_view script, std::string_view scriptName,
               const TDataVersion& version);

}  // namespace qz::schema
