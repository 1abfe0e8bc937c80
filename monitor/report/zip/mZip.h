#pragma once

#include <string>
#include <vector>

#include "monitor/report/zip/ZipOptions.h"
#include "monitor/report/zip/cZipEvents.h"

namespace kestrove {

struct ZipRequest {
    const std::string& zipFile;
    const ZipOptions& options;
    const std::vector<std::string>& specs;
};

// Runs one archive operation over libzip: archives the specs into the zip file, or with
// `deleteEntries` removes the entries they name. All state lives in the call, so operations on
// different objects never disturb each other. Anything that fails leaves the archive as it was.
ZipResult DoZip(const ZipRequest& request, cZipEvents& events);

}  // namespace kestrove
