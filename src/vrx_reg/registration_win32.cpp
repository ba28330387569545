// The registration on Windows: a value in the current user's Run key and a
// shell link on the user's desktop. Everything goes through the wide (UTF-16)
// calls; nothing here needs elevation.
#include <windows.h>
// These need the types of windows.h.
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>

#include "sys/atomicfile.h"
#include "sys/sysutil.h"
#include "sys/win32/wide.h"
#include "vrx_reg/entries.h"
#include "vrx_reg/registration.h"

namespace velmora::vrx_reg {

namespace {

using sys::win32::to_utf8;
using sys::win32::to_wide;

constexpr const char* run_key = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* run_value_name = L"Velmora";
constexpr const char* shortcut_name = "Velmora.lnk";
constexpr std::size_t link_path_capacity = 32768;

std::string system_message(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const DWORD length =
        FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length ? std::wstring(buffer, length) : L"error " + std::to_wstring(code);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.'))
        text.pop_back();
    return to_utf8(text);
}

std::string with_reason(const std::string& text, DWORD code) {
    return text + ": " + system_message(code);
}

std::string desktop_folder() {
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Desktop, 0, nullptr, &path))) folder = path;
    CoTaskMemFree(path);
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return to_utf8(folder);
}

// --- The Run value ---------------------------------------------------------

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key_) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Text values only; a value of another type is never one we wrote.
LSTATUS read_text_value(HKEY key, const wchar_t* name, std::wstring& text) {
    const DWORD types = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    DWORD size = 0;
    LSTATUS status = RegGetValueW(key, nullptr, name, types, nullptr, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    text.assign(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    status = RegGetValueW(key, nullptr, name, types, nullptr, text.data(), &size);
    text.resize(status == ERROR_SUCCESS ? std::wcslen(text.c_str()) : 0);
    return status;
}

void report_foreign_value(Report& report) {
    report.fail("the Run value \"Velmora\" does not start the organiser; left as it is");
}

void set_run_value(HKEY key, const Places& places, Report& report) {
    const std::wstring wanted = to_wide(run_command(places.program));
    std::wstring current;
    const LSTATUS status = read_text_value(key, run_value_name, current);
    if (status == ERROR_SUCCESS && current == wanted) return;
    const bool ours = status == ERROR_SUCCESS && names_program(to_utf8(current), program_file_name);
    if (status != ERROR_FILE_NOT_FOUND && !ours) return report_foreign_value(report);
    const auto bytes = static_cast<DWORD>((wanted.size() + 1) * sizeof(wchar_t));
    const LSTATUS set = RegSetValueExW(key, run_value_name, 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(wanted.c_str()), bytes);
    if (set != ERROR_SUCCESS) report.fail(with_reason("cannot set the Run value", set));
}

void delete_run_value(HKEY key, Report& report) {
    std::wstring current;
    const LSTATUS status = read_text_value(key, run_value_name, current);
    if (status == ERROR_FILE_NOT_FOUND) return;
    if (status != ERROR_SUCCESS || !names_program(to_utf8(current), program_file_name)) {
        return report_foreign_value(report);
    }
    const LSTATUS removed = RegDeleteValueW(key, run_value_name);
    if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND) {
        report.fail(with_reason("cannot delete the Run value", removed));
    }
}

void apply_run(const Places& places, bool on, Report& report) {
    const std::wstring path = to_wide(places.autorun);
    const REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE;
    RegistryKey key;
    const LSTATUS status =
        on ? RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, access, nullptr,
                             key.out(), nullptr)
           : RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, key.out());
    if (!on && status == ERROR_FILE_NOT_FOUND) return;
    if (status != ERROR_SUCCESS) {
        return report.fail(with_reason("cannot open HKEY_CURRENT_USER\\" + places.autorun, status));
    }
    on ? set_run_value(key.get(), places, report) : delete_run_value(key.get(), report);
}

// --- The desktop shortcut ----------------------------------------------------

template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (pointer_) pointer_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    Interface** out() { return &pointer_; }
    Interface* operator->() const { return pointer_; }

private:
    Interface* pointer_ = nullptr;
};

// COM for this thread while the shortcut is handled. A thread that already
// has it in another mode may still use it.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
    HRESULT result() const { return result_; }

private:
    HRESULT result_;
};

struct LinkFacts {
    std::wstring target;
    std::wstring folder;
};

bool new_link(ComRef<IShellLinkW>& link, ComRef<IPersistFile>& file) {
    return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(link.out()))) &&
           SUCCEEDED(link->QueryInterface(IID_PPV_ARGS(file.out())));
}

// The target and working folder of a shell link file; nothing when the file
// is no shell link.
std::optional<LinkFacts> read_link(const std::wstring& path) {
    ComRef<IShellLinkW> link;
    ComRef<IPersistFile> file;
    if (!new_link(link, file) || FAILED(file->Load(path.c_str(), STGM_READ))) return std::nullopt;
    std::wstring buffer(link_path_capacity, L'\0');
    const int capacity = static_cast<int>(buffer.size());
    LinkFacts facts;
    if (link->GetPath(buffer.data(), capacity, nullptr, SLGP_RAWPATH) == S_OK)
        facts.target = buffer.c_str();
    if (SUCCEEDED(link->GetWorkingDirectory(buffer.data(), capacity)))
        facts.folder = buffer.c_str();
    return facts;
}

std::wstring folder_value(const std::string& folder) {
    std::wstring wide = to_wide(folder);
    if (wide.size() > 3 && wide.back() == L'\\') wide.pop_back();  // "C:\" keeps its separator
    return wide;
}

// The shell saves a link only to a file of its own; it is saved in the
// temporary folder and its bytes then replace the desktop's file in one
// step, so the desktop never shows half a shortcut.
HRESULT save_link(const Places& places, const std::wstring& file_name) {
    ComRef<IShellLinkW> link;
    ComRef<IPersistFile> file;
    if (!new_link(link, file)) return E_FAIL;
    HRESULT result = link->SetPath(to_wide(places.program).c_str());
    if (SUCCEEDED(result))
        result = link->SetWorkingDirectory(folder_value(places.program_dir).c_str());
    if (SUCCEEDED(result)) result = link->SetDescription(to_wide("日历、计划与记事").c_str());
    if (SUCCEEDED(result)) result = file->Save(file_name.c_str(), TRUE);
    return result;
}

void write_link(const Places& places, const std::string& path, Report& report) {
    const std::string staged = sys::temp_file_name();
    const HRESULT result = staged.empty() ? E_FAIL : save_link(places, to_wide(staged));
    const std::optional<std::string> bytes =
        SUCCEEDED(result) ? sys::read_file(staged) : std::nullopt;
    if (!staged.empty()) sys::remove_file(staged);
    if (!bytes) return report.fail(with_reason("cannot make the shortcut", result));
    if (!sys::write_file_atomic(path, *bytes)) {
        report.fail(with_reason("cannot write " + path, GetLastError()));
    }
}

bool same_path(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

void report_foreign_link(Report& report, const std::string& path) {
    report.fail(path + " is not a shortcut to the organiser; left as it is");
}

void put_link(const Places& places, const std::string& path, Report& report) {
    if (GetFileAttributesW(to_wide(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        const std::optional<LinkFacts> facts = read_link(to_wide(path));
        if (!facts || !names_program(to_utf8(facts->target), program_file_name)) {
            return report_foreign_link(report, path);
        }
        if (same_path(facts->target, to_wide(places.program)) &&
            same_path(facts->folder, folder_value(places.program_dir))) {
            return;
        }
    }
    write_link(places, path, report);
}

void remove_link(const std::string& path, Report& report) {
    if (GetFileAttributesW(to_wide(path).c_str()) == INVALID_FILE_ATTRIBUTES) return;
    const std::optional<LinkFacts> facts = read_link(to_wide(path));
    if (!facts || !names_program(to_utf8(facts->target), program_file_name)) {
        return report_foreign_link(report, path);
    }
    if (!sys::remove_file(path) && GetLastError() != ERROR_FILE_NOT_FOUND) {
        report.fail(with_reason("cannot delete " + path, GetLastError()));
    }
}

// A desktop folder that does not exist is not made.
void apply_shortcut(const Places& places, bool on, Report& report) {
    if (places.desktop.empty() || !sys::folder_exists(places.desktop)) {
        if (on) report.note("no desktop folder " + places.desktop + "; no shortcut made");
        return;
    }
    const ComScope com;
    if (!com.usable()) {
        return report.fail(with_reason("cannot start COM", static_cast<DWORD>(com.result())));
    }
    const std::string path = places.desktop + shortcut_name;
    on ? put_link(places, path, report) : remove_link(path, report);
}

}  // namespace

std::optional<Places> current_places(std::string& error) {
    Places places;
    places.program_dir = sys::program_dir();
    if (places.program_dir.size() < 3) {
        error = "cannot tell the folder of this program";
        return std::nullopt;
    }
    places.program = places.program_dir + program_file_name;
    places.data_dir = places.program_dir;
    places.autorun = run_key;
    places.desktop = desktop_folder();
    return places;
}

Report apply(const Places& places, const Choices& choices) {
    Report report;
    apply_run(places, choices.autorun, report);
    apply_shortcut(places, choices.desktop_link, report);
    return report;
}

}  // namespace velmora::vrx_reg
