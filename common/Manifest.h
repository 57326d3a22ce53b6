// The install manifest bb7setup.dat: one file a line, its path relative to the product's folder,
// which is its path relative to the installation folder too. The installer (whether it copies
// from the unpacked folder or writes from the payload in memory) and the product's uninstaller
// read a line here, with one rule for what it may name: a line that is installed is a line that
// the uninstaller removes.
#pragma once

#include <string>
#include <vector>

// One line of the manifest. The lines of a manifest text are those of SplitTextLines
// (BriCommon.h): a line ends at CR, LF or CR LF, a zero byte ends the text, nothing is trimmed.
struct ManifestLine {
    std::string Folder; // up to and including the last backslash or colon; empty without a backslash
    std::string File;   // the rest; empty for a blank line or one that ends with a backslash
    bool StaysInside = false; // ManifestLineStaysInside

    // A file inside the folder that the line is joined to: what an installation holds.
    bool NamesFile() const { return StaysInside && !File.empty(); }
};

ManifestLine ReadManifestLine(const std::string& Line);

// True when the line names a place inside the folder it is joined to. A line leaves that
// folder, or names what no file can be, when it begins with a backslash (absolute, or a UNC
// share), holds a colon (a drive or an alternate data stream), a control character or one of
// <>"|?*/ (a "/" is no separator of the manifest's, but Windows would read it as one), has an
// empty name between two backslashes, or a name made of dots and blanks only ("..", ".", "...":
// Windows drops trailing dots and blanks, so each of these may name the folder above). A blank
// line and a line that ends with a backslash stay inside: they only name no file.
bool ManifestLineStaysInside(const std::string& Line);

// The files that the lines name inside the folder, each once (letter case aside), in manifest
// order: what an installation from this manifest holds, the manifest and the uninstaller included.
std::vector<std::string> InstalledFiles(const std::vector<std::string>& Lines);
