// A printer's resolution as its queue states it: the value of a CUPS
// "Resolution" or "printer-resolution" option ("600dpi", "1200x600dpi",
// "236dpcm") in dots per inch along the page width.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace lenti {

// The horizontal resolution in dpi; 0 for anything that is not a resolution.
int ParseResolutionChoice(const std::string& text);

// The resolution the options choose (key, value pairs, the later winning),
// "Resolution" and "printer-resolution" alike; 0 when none does.
int ResolutionFromOptions(const std::vector<std::pair<std::string, std::string>>& options);

}  // namespace lenti
