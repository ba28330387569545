#include "store/container_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string_view>

#include "store/password_hash.h"
#include "store/sqlite_db.h"
#include "sys/atomicfile.h"

namespace velmora::store {

namespace {

namespace fs = std::filesystem;

// "VLMF" in the database header's application id marks a container.
constexpr std::uint32_t application_id = 0x564C4D46;
// Opening must stay fast: this is a guard against opening a foreign file,
// not an encryption key. A stored count is trusted only when it is the one
// this program writes: a crafted file could otherwise ask for billions of
// rounds and hang the open for hours.
constexpr int verifier_iterations = 10000;
constexpr int min_verifier_iterations = verifier_iterations;
constexpr int max_verifier_iterations = verifier_iterations;

std::string make_verifier(const std::string& password, const std::string& salt, int iterations) {
    return pbkdf2_sha256(password, salt, iterations, 32);
}

// From the system's random source (getrandom on Linux).
std::string random_salt() {
    std::random_device source;
    std::string salt(16, '\0');
    for (char& byte : salt) byte = static_cast<char>(source() & 0xff);
    return salt;
}

std::uint32_t big_endian(const unsigned char* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | bytes[i];
    return value;
}

void remove_with_side_files(const std::string& path) {
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) fs::remove(path + suffix, ignored);
}

std::string folder_of(const std::string& path) {
    const std::string parent = fs::path(path).parent_path().string();
    return parent.empty() ? "." : parent;
}

bool flush_to_disk(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void write_schema(Database& db, const std::string& password) {
    db.exec("PRAGMA journal_mode = WAL");
    db.exec("PRAGMA application_id = " + std::to_string(application_id));
    db.exec("PRAGMA user_version = " + std::to_string(container_format_version));
    Transaction transaction(db);
    db.exec(
        "CREATE TABLE meta(key TEXT PRIMARY KEY, value BLOB NOT NULL);"
        "CREATE TABLE items(idx INTEGER PRIMARY KEY AUTOINCREMENT, name BLOB NOT NULL UNIQUE,"
        " type INTEGER NOT NULL, lb INTEGER NOT NULL DEFAULT 0, content BLOB NOT NULL DEFAULT x'');"
        "INSERT INTO items(idx, name, type, lb) VALUES(0, x'', 99, 1);");
    const std::string salt = random_salt();
    Statement insert(db.handle(), "INSERT INTO meta(key, value) VALUES(?1, ?2)");
    auto put = [&](const std::string& key, const std::string& value) {
        insert.reset().bind_blob(1, key).bind_blob(2, value).run();
    };
    put("salt", salt);
    put("iterations", std::to_string(verifier_iterations));
    put("verifier", make_verifier(password, salt, verifier_iterations));
    transaction.commit();
}

void renumber_items(Database& db) {
    Transaction transaction(db);
    db.exec(
        // Keyed by the old number: each row's new number is one lookup, not
        // a scan of the whole table.
        "CREATE TEMP TABLE renumber(old_idx INTEGER PRIMARY KEY, new_idx INTEGER NOT NULL);"
        "INSERT INTO renumber SELECT idx, row_number() OVER (ORDER BY idx) - 1 FROM items;"
        "UPDATE items SET idx = -1 - idx;"
        "UPDATE items SET idx = (SELECT new_idx FROM renumber WHERE old_idx = -1 - items.idx);"
        "UPDATE sqlite_sequence SET seq = (SELECT max(idx) FROM items) WHERE name = 'items';"
        "DROP TABLE renumber;");
    transaction.commit();
    db.exec("VACUUM");
}

}  // namespace

// The empty file SQLite is then pointed at: created here so that its mode
// (and the mode SQLite gives the log beside it) is the owner's alone,
// whatever the umask.
FxError create_private_file(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return classify_folder_errno(errno);
    const bool ok = fchmod(fd, 0600) == 0;
    const int error = errno;
    ::close(fd);
    return ok ? FxError::none : classify_errno(error);
}

FxError create_container_file(const std::string& path, const std::string& password) {
    const std::string temporary = path + ".new-" + std::to_string(getpid());
    remove_with_side_files(temporary);
    FxError created = create_private_file(temporary);
    if (created != FxError::none) return created;
    try {
        {
            Database db(temporary, SQLITE_OPEN_READWRITE);
            db.exec("PRAGMA synchronous = FULL");
            write_schema(db, password);
        }
        if (!flush_to_disk(temporary)) throw SqliteError("flush", SQLITE_IOERR, errno);
        if (!sys::rename_no_replace(temporary, path))
            throw SqliteError("rename", SQLITE_IOERR, errno);
        flush_to_disk(folder_of(path));
        return FxError::none;
    } catch (const SqliteError& error) {
        remove_with_side_files(temporary);
        return classify_failure(error.code(), error.system_errno());
    }
}

FxError check_container_header(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::array<unsigned char, 100> header{};
    if (!file.read(reinterpret_cast<char*>(header.data()), header.size())) return FxError::foreign;
    static const char magic[] = "SQLite format 3";
    if (!std::equal(magic, magic + 16, header.begin())) return FxError::foreign;
    if (big_endian(&header[68], 4) != application_id) return FxError::foreign;
    std::uint32_t page_size = big_endian(&header[16], 2);
    if (page_size == 1) page_size = 65536;
    if (page_size < 512 || (page_size & (page_size - 1)) != 0) return FxError::damaged;
    const std::uint64_t pages = big_endian(&header[28], 4);
    if (pages == 0) return FxError::damaged;
    std::error_code error;
    const auto log_size = fs::file_size(path + "-wal", error);
    if (!error && log_size > 0) return FxError::none;  // SQLite recovers from the log
    const auto size = fs::file_size(path, error);
    if (error) return FxError::io_error;
    return size % page_size == 0 && size >= pages * page_size ? FxError::none : FxError::damaged;
}

bool is_container_file(const std::string& path) {
    return check_container_header(path) == FxError::none;
}

FxError check_writable(const std::string& path) {
    const auto refused = [](FxError what) { return errno == EROFS ? FxError::read_only_fs : what; };
    if (::access(folder_of(path).c_str(), W_OK | X_OK) != 0) {
        return refused(FxError::folder_not_writable);
    }
    if (::access(path.c_str(), R_OK | W_OK) != 0) return refused(FxError::not_writable);
    return FxError::none;
}

FxError check_password(Database& db, const std::string& password) {
    Statement read(db.handle(), "SELECT key, value FROM meta");
    std::string salt, verifier;
    long long iterations = 0;
    while (read.step()) {
        const std::string key = read.blob(0);
        if (key == "salt") salt = read.blob(1);
        if (key == "verifier") verifier = read.blob(1);
        if (key == "iterations") iterations = std::atoll(read.blob(1).c_str());
    }
    if (iterations < min_verifier_iterations || iterations > max_verifier_iterations ||
        verifier.empty()) {
        return FxError::damaged;
    }
    return make_verifier(password, salt, static_cast<int>(iterations)) == verifier
               ? FxError::none
               : FxError::foreign;
}

bool password_matches(Database& db, const std::string& password) {
    return check_password(db, password) == FxError::none;
}

namespace {

bool answers_ok(Database& db, const char* pragma) {
    Statement check(db.handle(), pragma);
    return check.step() && check.blob(0) == "ok";
}

}  // namespace

Soundness check_pages(Database& db) {
    if (answers_ok(db, "PRAGMA integrity_check(1)")) return Soundness::whole;
    return answers_ok(db, "PRAGMA quick_check(1)") ? Soundness::index_out_of_step
                                                   : Soundness::damaged;
}

std::vector<std::string> integrity_problems(Database& db, int limit) {
    Statement check(db.handle(), "PRAGMA integrity_check(" + std::to_string(limit) + ")");
    std::vector<std::string> problems;
    while (check.step()) {
        std::string line = check.blob(0);
        if (line != "ok") problems.push_back(std::move(line));
    }
    return problems;
}

void configure_connection(Database& db) {
    // The program holds its container for the whole run: an exclusive lock
    // keeps other processes from changing it underneath and spares every
    // lookup the file-locking round trips.
    db.exec("PRAGMA locking_mode = EXCLUSIVE");
    // WAL with full synchronisation: a returned operation is on disk after a
    // single flush of the log, and a crash at any instant leaves the last
    // committed state readable.
    db.exec("PRAGMA journal_mode = WAL");
    db.exec("PRAGMA synchronous = FULL");
    db.exec("PRAGMA journal_size_limit = 4194304");
    db.exec("PRAGMA cell_size_check = ON");
    db.exec("PRAGMA busy_timeout = 5000");
    db.query_integer("SELECT count(*) FROM meta");  // fails now, not later, on a damaged file
}

namespace {

bool all_digits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The process that a partial copy's name carries, when the name is one a
// compaction makes beside a target "<stem>_<n>.~fx": "<stem>_<n>.~fx.part-<pid>",
// or SQLite's journal or log of it.
std::optional<long> part_owner(std::string_view name, std::string_view stem) {
    if (!name.starts_with(stem) || name.size() <= stem.size()) return std::nullopt;
    name.remove_prefix(stem.size());
    const std::size_t dot = name.find(".~fx.part-");
    if (dot == std::string_view::npos || !all_digits(name.substr(0, dot))) return std::nullopt;
    std::string_view pid = name.substr(dot + std::strlen(".~fx.part-"));
    for (std::string_view side : {"-journal", "-wal", "-shm"}) {
        if (pid.ends_with(side)) pid.remove_suffix(side.size());
    }
    if (!all_digits(pid) || pid.size() > 9) return std::nullopt;
    return std::stol(std::string(pid));
}

// What a compaction killed in mid-copy left beside its target: only names
// of the program's own form, only regular files, and only of a process
// that no longer runs.
void remove_leftover_parts(const std::string& target) {
    const std::string name = fs::path(target).filename().string();
    const std::size_t underscore = name.rfind('_');
    if (underscore == std::string::npos) return;
    const std::string stem = name.substr(0, underscore + 1);
    std::error_code error;
    for (fs::directory_iterator entry(folder_of(target), error), end; !error && entry != end;
         entry.increment(error)) {
        const std::optional<long> owner = part_owner(entry->path().filename().string(), stem);
        std::error_code kind_error;
        if (!owner || *owner == getpid() || !entry->is_regular_file(kind_error)) continue;
        if (::kill(static_cast<pid_t>(*owner), 0) == 0 || errno != ESRCH) continue;
        std::error_code ignored;
        fs::remove(entry->path(), ignored);
    }
}

}  // namespace

bool write_compacted_copy(Database& db, const std::string& target) {
    if (fs::exists(fs::symlink_status(target))) return false;
    remove_leftover_parts(target);
    const std::string temporary = target + ".part-" + std::to_string(getpid());
    remove_with_side_files(temporary);
    if (create_private_file(temporary) != FxError::none) return false;
    try {
        db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
        Statement vacuum(db.handle(), "VACUUM INTO ?1");
        vacuum.bind_text(1, temporary).run();
        {
            Database copy(temporary, SQLITE_OPEN_READWRITE);
            renumber_items(copy);
            copy.exec("PRAGMA journal_mode = WAL");
        }
        if (!flush_to_disk(temporary)) throw SqliteError("flush");
        if (!sys::rename_no_replace(temporary, target)) throw SqliteError("rename");
        flush_to_disk(folder_of(target));
        return true;
    } catch (const std::exception&) {
        remove_with_side_files(temporary);
        return false;
    }
}

}  // namespace velmora::store
