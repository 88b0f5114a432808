// The SARIF 2.1.0 log of a title check, the form code-scanning services read and show as
// annotations on the pages' lines.
#pragma once

#include "title_checks.h"

#include <string>
#include <vector>

namespace titora::cli {

// Appends to `out` the SARIF log of `findings` about the pages of `checker`: one run of
// titora-cli with every rule described, one result per finding, each pointing at its
// page (the path as given, as a URI reference, so that a relative path stays relative)
// and at the line and column where the title's text begins.
void AppendSarifLog(std::string& out, const TitleChecker& checker,
                    const std::vector<TitleFinding>& findings);

// `path` as a URI reference: every byte but the unreserved ones and "/" percent-encoded,
// and on Windows "\" written as "/".
//
//   PathUri("my site/café.html")  // -> "my%20site/caf%C3%A9.html"
std::string PathUri(const std::string& path);

} // namespace titora::cli
