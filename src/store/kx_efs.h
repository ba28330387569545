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
// 0 without changing anything for an empty name, a name holding "/", a
// name a sibling already has, or a full path (its own or one below it)
// longer than 256 bytes (FxError::name_too_long).
int FX_Changeitemname(int parent, int index, const std::string& name);

// The bytes of the file item `index` into `bytes`; answers 1, or 0 when it
// is no listed file item (FxError::refused) or could not be read.
int FX_Readfile(int index, std::string& bytes);
// Stores `bytes` as the file `name` below the folder item `folder_index`,
// with no disk file between, so every name of at most 256 bytes in all is
// taken. A name another item has gets the first free "name (2)", ...
// With `replacing` above 0 that file item is removed in the same
// transaction: an edit leaves the old item or the new one, never neither.
// Answers the new item's index, or -1 (FxError::name_too_long for a path
// past 256 bytes).
int FX_Writefile(int folder_index, const std::string& name, const std::string& bytes,
                 int replacing);
// Copies the listed items (decimal indices) with everything below them
// into the folder item `target`, in one transaction: a file whose name is
// taken gets the first free "name (2)", a folder joins a folder of its name
// there (another than itself, or the copy is "name (2)"). With `move` 1 the
// items are removed in the same transaction, and an item already directly
// in `target` stays as it is. A target that is a listed item or lies below
// one is refused. Answers 1 when everything is stored, else 0 and nothing
// has changed.
int FX_Copyitems(const std::vector<std::string>& indices, int target, int move);
// kind 1: the file's size in bytes; kind 2: the bytes of live data.
std::int64_t FX_Getfxsize(int kind);
std::uint16_t FX_Getfxversionmajor();
// Writes a compacted, renumbered copy of the open container to `target`.
// Answers 1 on success; on failure 0, and no target file is left.
int FX_Fxcopy(int mode, const std::string& target, const std::string& password);

// The full check of the open container: SQLite's integrity_check, which
// walks every page and looks every item up in every index. Answers 0 when
// the container is whole; 1 when an index is out of step with the items
// (some lookups by name would miss an item that is there: FX_Repairfx
// mends it); 2 when pages are broken (only a backup can replace the file);
// -1 when no check could run (FX_Getlasterror says why). `problems` gets
// SQLite's lines, at most 100.
int FX_Checkfx(std::vector<std::string>& problems);
// Rebuilds every index from the items and checks again: 1 when the
// container is whole afterwards, else 0. Make a backup copy first.
int FX_Repairfx();
// 1 while the open container waits for that repair: names are then looked
// up in the items themselves and every change is refused
// (FxError::needs_repair), so nothing is saved over a record the index hid.
int FX_Needsrepair();
