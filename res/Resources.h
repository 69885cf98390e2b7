// The program's resources: the *.vxr files of res/ (dialog templates, menus,
// string tables) and the bitmaps/<id>.bmp files, compiled into the program.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vxres {

struct EmbeddedFile {
    const char* name;          // path below res/, e.g. "dialogs/chart.vxr"
    const unsigned char* data; // UTF-8 text
    std::size_t size;
};

const std::vector<EmbeddedFile>& EmbeddedFiles();

// Parses every embedded file into the platform's resource catalogue (and
// so makes CDialog and CMenu find them) and registers the bitmaps for
// CBitmap::LoadBitmap and picture controls. Returns false
// when a file does not parse; errors then lists "file:line: message" lines
// and the other files are still installed.
bool InstallResources(std::string* errors = nullptr);

} // namespace vxres
