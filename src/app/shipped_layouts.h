#pragma once
// The record layouts that ship with the programs (the bank-transfer formats of layouts/): where
// they are read from, and how a definition argument names one.
//
// Wherever a definition file is given on a command line (/C, /R, --check, the desktop
// program's command line), a layout's name may stand for it: `sorvek-cli /R transfers.csv
// FURIKOMI.DAT zengin-sogo`. A file that exists always wins over a name, and a name no layout
// has stays the path it was, so it is refused as any missing definition file is.
#include <span>
#include <string>

#include "platform/files.h"

namespace sorvek {

struct ShippedLayout {
    const char* name;   // the argument that names it, and its file name without ".trd"
    const char* title;  // its file definition's Name
};

// The layouts that ship, in the order `--layouts` lists them.
std::span<const ShippedLayout> shippedLayouts();

// The folder the layouts are read from by a program in `programFolder`:
// <programFolder>/../share/sorvek/layouts when that is a folder (an installed program), else,
// for a program inside the build tree it was built in, the source tree's layouts folder. Empty
// when neither is there. Made of paths only; nothing is read.
std::string shippedLayoutsFolder(const std::string& programFolder,
                                 FileSystem& files = osFileSystem());

// The same for the running program.
std::string shippedLayoutsFolder(FileSystem& files = osFileSystem());

// The path of `layout`'s file in `layoutsFolder`; empty when no regular file is there.
std::string shippedLayoutPath(const ShippedLayout& layout, const std::string& layoutsFolder,
                              FileSystem& files = osFileSystem());

// The absolute path of the definition file that the argument `typed` stands for: the file of
// the layout it names when nothing is at `typed`, it has no folder separator and no extension,
// names one of shippedLayouts() and that layout's file is in `layoutsFolder`; `typed` made
// absolute (getFullPath) in every other case.
std::string definitionPathFor(const std::string& typed, const std::string& layoutsFolder,
                              FileSystem& files = osFileSystem());

}  // namespace sorvek
