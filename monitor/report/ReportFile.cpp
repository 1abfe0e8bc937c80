#include "monitor/report/ReportFile.h"

#include <fstream>
#include <system_error>

namespace kestrove {

bool WriteReportFile(const std::filesystem::path& path, const ReportDocument& document) {
    std::filesystem::path temporary = path;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (const std::string& part : document.parts) {
            out.write(part.data(), static_cast<std::streamsize>(part.size()));
        }
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

}  // namespace kestrove
