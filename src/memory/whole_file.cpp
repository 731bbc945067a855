// Whole-file saves: lines with CR LF, written to a new file and pushed to the
// disk before it takes the old file's place.
#include "memory/whole_file.h"

#include "platform/platform.h"

bool writeLine(int handle, std::string_view text) {
    std::string line(text);
    line += "\r\n";
    return platFileWrite(handle, line);
}

bool writeLinesFile(const char* path, const std::vector<std::string>& lines) {
    platFileDelete(path);  // a leftover of an interrupted save
    const int file = platFileOpenWrite(path);
    if (file <= 0) return false;
    bool ok = true;
    for (const std::string& line : lines) ok = ok && writeLine(file, line);
    ok = ok && platFileSync(file);
    platFileClose(file);
    if (!ok) platFileDelete(path);
    return ok;
}

bool moveIntoPlace(const char* newPath, const char* path, const char* keptPath) {
    if (keptPath != nullptr && !platFileRename(path, keptPath)) {
        platFileDelete(newPath);
        return false;
    }
    if (!platFileRename(newPath, path)) {
        if (keptPath != nullptr) platFileRename(keptPath, path);  // the old file back where it was
        platFileDelete(newPath);
        return false;
    }
    return true;
}
