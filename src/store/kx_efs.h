// The container library: every operation the program performs on its one
// data file, under the names the rest of the program calls them by. All text
// arguments and results are the program's internal UTF-8; the container
// itself stores names in GB18030.
//
// One container is open per process, from start-up to the close sequence.
// Every operation is one transaction and is on disk when it returns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/fx_error.h"

// Opens the container at `path`, creating it when the file does not exist.
// A file that is not a container, or was made with another password, is not
// opened and not touched; every later call then answers as for an empty
// store. Answers 1 when a container is open afterwards.
int FX_Createoropenfx(const std::string& path, const std::string& password, int mode,
                      const std::string& reserved1, const std::string& reserved2);
int FX_Closefx(int flag);
// Why the last operation failed: `none` after a success. A lookup that
// answers -1 with `none` here found no such item; with anything else, the
// container could not be read.
velmora::store::FxError FX_Getlasterror();

// Index of the item with exactly this full node path, or -1.
int FX_Directory_Changenodenametoindex(const std::string& node_path);
// Highest index ever used + 1: indices run 0 .. count-1, with gaps that read
// as "lb" non-zero, "itemtype" 0 and an empty "itemname".
int FX_Directory_Getcount();
// Attributes "lb" (non-zero: not listed) and "itemtype" (0x63: a folder).
std::uint16_t FX_Directory_Getitem_word(const std::string& attribute, int index);
// Attribute "itemname": the item's full node path.
std::string FX_Directory_Getitem_String(const std::string& attribute, int index);

// Writes each listed item (decimal indices) into `folder` under the last
// component of its name; with `whole_folders` 1 a folder item is written as
// a folder with everything below it. Answers 1 when every item was written.
int FX_Outputall(int mode, const std::string& folder, const std::vector<std::string>& indices,
                 int reserved, int whole_folders);
// Stores disk files (and with mode 2 whole folders) below the folder item
// `folder_index`. replace 1: a same-name file item takes the new content in
// place; otherwise the new item gets the first free name "title (2)", ...
// delete_after 1 removes the imported disk files once they are stored.
// All-or-nothing; answers 1 on success.
int FX_Inputall(int mode, int folder_index, const std::vector<std::string>& paths,
                const std::string& reserved1, const std::string& reserved2, int replace,
                const std::string& reserved3, int delete_after);
// Removes the item and everything below it; answers 1 when something was removed.
int FX_Deleteitem(int index, int mode);
// Adds a folder "新建文件夹" (or "新建文件夹(2)", ...) below `parent`; answers 1.
int FX_Addnode(int parent, const std::string& name);
// Renames a direct child of `parent` and everything below it; answers 1, or
// 0 without changing anything for an empty name, a name holding "/", a name
// a sibling already has, or a full path longer than 256 bytes.
int FX_Changeitemname(int parent, int index, const std::string& name);
// kind 1: the file's size in bytes; kind 2: the bytes of live data.
std::int64_t FX_Getfxsize(int kind);
std::uint16_t FX_Getfxversionmajor();
// Writes a compacted, renumbered copy of the open container to `target`.
// Answers 1 on success; on failure 0, and no target file is left.
int FX_Fxcopy(int mode, const std::string& target, const std::string& password);
