#include "monitor/report/zip/cZip.h"

#include "monitor/report/zip/mZip.h"

namespace kestrove {

int cZip::MessageLevel() const {
    if (options_.verbose) {
        return 0;
    }
    return options_.quiet ? 1 : 2;
}

void cZip::SetMessageLevel(int level) {
    if (level < 0 || level > 2) {
        return;
    }
    options_.verbose = level == 0;
    options_.quiet = level == 1;
}

std::string cZip::FileSpec(int index) const {
    if (index < 1 || index > FileSpecCount()) {
        return {};
    }
    return specs_[static_cast<std::size_t>(index - 1)];
}

void cZip::Zip() {
    result_ = ZipResult::Ok;
    if (FileSpecCount() > kMaxFileSpecs) {
        result_ = ZipResult::TooManySpecs;
        return;
    }
    cZipEvents nobody;
    result_ = DoZip(ZipRequest{zipFile_, options_, specs_}, events_ ? *events_ : nobody);
}

void cZip::Delete() {
    if (FileSpecCount() > kMaxFileSpecs) {
        return;
    }
    ZipOptions options = options_;
    options.deleteEntries = true;
    cZipEvents nobody;
    DoZip(ZipRequest{zipFile_, options, specs_}, events_ ? *events_ : nobody);
}

}  // namespace kestrove
