// Operating-system helpers shared by the whole program. One header, two
// implementations (posix/ and win32/). Paths are UTF-8 text; a folder path
// that a function answers ends in the platform separator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::sys {

// Both working folders have this name: one in the program folder, one in
// the system's temporary folder.
inline constexpr const char* working_folder_name = "zenqplumora";

class Platform;

// The separator that folder paths answered here end with.
#ifdef _WIN32
inline constexpr char path_separator = '\\';
#else
inline constexpr char path_separator = '/';
#endif

// --- Folder paths -------------------------------------------------------
// The running executable's folder, with a trailing separator.
std::string program_dir();
// The private per-user temporary folder, with a trailing separator.
std::string system_temp_dir();
// system_temp_dir + "zenqplumora" + sep + a unique name + sep; the unique
// folder itself is not created.
std::string staging_folder();
// A fresh unique temporary file name; the file itself is removed again.
std::string temp_file_name();

// A staging folder of its own (staging_folder()), made at once and removed
// with everything in it when it goes: staged copies of the user's records
// never stay behind in the temporary folder.
class StagingFolder {
public:
    StagingFolder();
    ~StagingFolder();
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    // 0 when the folder was made; else the system's error number.
    int error() const { return error_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int error_ = 0;
};

// --- Rights, elevation, version -------------------------------------------
bool is_admin();
std::string os_version_name();
// Pure decision table behind os_version_name, so both builds can test it.
enum class OsPlatform { nt, win9x, other };
std::string os_version_name_for(OsPlatform platform, unsigned major, unsigned minor,
                                const std::string& service_text);

using WindowHandle = std::intptr_t;
// Starts `file` with `parameters`, elevated where the system needs it.
// Throws std::system_error when an elevated start fails.
void run_elevated(WindowHandle window, const std::string& file, const std::string& parameters,
                  const std::string& os_name);
void run_elevated(Platform& platform, WindowHandle window, const std::string& file,
                  const std::string& parameters, const std::string& os_name);

// --- Shell folders ("desktop", "personal") ----------------------------------
std::string shell_folder(const std::string& name);

// --- Power ------------------------------------------------------------------
// mode 1 power off, 2 shut down, 3 restart, 4 log off, 5 suspend, 6 hibernate.
void exit_windows(int mode, bool force);
void exit_windows(Platform& platform, int mode, bool force);

// --- Drives -----------------------------------------------------------------
void fixed_drives(std::vector<std::string>& list);  // appends; the system drive comes last
std::uint64_t disk_free(const std::string& path);   // bytes available to the user, 0 on failure

// --- Folder trees (never follow a symbolic link or junction) -----------------
void empty_folder(const std::string& path);
void remove_folder_tree(const std::string& path);
// Appends path + sep + name for every entry; throws std::system_error when
// the folder cannot be entered.
void list_folder(const std::string& path, std::vector<std::string>& list);

// --- Backslash paths ("\" separates everywhere, "/" too on POSIX) ------------
std::string path_parent(const std::string& path);
std::string path_last(const std::string& path);
std::string path_base_name(const std::string& path);
std::string path_ext(const std::string& path);

#ifdef _WIN32
// Starts a command line with a hidden window; neither waits nor reports.
void run_hidden_command(const std::string& command_line);
#endif

// Joins a folder and a name with exactly one separator between them.
std::string path_join(const std::string& folder, const std::string& name);

}  // namespace velmora::sys
