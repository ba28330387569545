// Fixed names of the container: the data file, its template, the password
// it is made with, the four top folders every container holds and the
// fixed records in them. The one home of every "plumora_" name.
#pragma once

namespace velmora::store {

inline constexpr const char* data_file_name = "zenqdata.fx";
inline constexpr const char* template_file_name = "zenqmodal.fx";
inline constexpr const char* container_password = "qzt20011123";
inline constexpr const char* plan_folder = "plumora_plan";  // yyyymmdd.txt, a day's plans
inline constexpr const char* note_folder = "plumora_note";  // yyyymmdd.txt, a day's note
inline constexpr const char* files_folder = "plumora_files";
// The root item of the bookmark tree.
inline constexpr const char* bookmark_root = "plumora_url";
inline constexpr const char* top_folders[] = {plan_folder, note_folder, files_folder,
                                              bookmark_root};
// The records kept in the files folder: the anniversary list and the
// template's own copy.
inline constexpr const char* datehint_record = "plumora_files/datehint.txt";
inline constexpr const char* template_record = "plumora_files/zenqmodal.fx";

}  // namespace velmora::store
