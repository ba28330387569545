// Fixed names of the container: the data file, its template, the password
// it is made with, and the four top folders every container holds.
#pragma once

namespace velmora::store {

inline constexpr const char* data_file_name = "zenqdata.fx";
inline constexpr const char* template_file_name = "zenqmodal.fx";
inline constexpr const char* container_password = "qzt20011123";
// The root item of the bookmark tree.
inline constexpr const char* bookmark_root = "plumora_url";
inline constexpr const char* top_folders[] = {"plumora_plan", "plumora_note", "plumora_files",
                                              "plumora_url"};

}  // namespace velmora::store
