#include "store/container_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>

#include <array>
#include <filesystem>
#include <fstream>

#include "store/sqlite_db.h"
#include "sys/atomicfile.h"

namespace velmora::store {

namespace {

namespace fs = std::filesystem;

// "VLMF" in the database header's application id marks a container.
constexpr std::uint32_t application_id = 0x564C4D46;
// Opening must stay fast: this is a guard against opening a foreign file,
// not an encryption key.
constexpr int verifier_iterations = 10000;

std::string make_verifier(const std::string& password, const std::string& salt, int iterations) {
    QByteArray key = QPasswordDigestor::deriveKeyPbkdf2(
        QCryptographicHash::Sha256, QByteArray::fromStdString(password),
        QByteArray::fromStdString(salt), iterations, 32);
    return key.toStdString();
}

std::string random_salt() {
    std::string salt(16, '\0');
    for (char& byte : salt) byte = static_cast<char>(QRandomGenerator::system()->bounded(256));
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

bool flush_to_disk(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// SQLite's URI form of a path: only these characters need escaping.
std::string as_uri(const std::string& path) {
    std::string uri = "file:";
    for (char c : path) {
        if (c == '%' || c == '?' || c == '#') {
            static const char hex[] = "0123456789ABCDEF";
            auto byte = static_cast<unsigned char>(c);
            uri += '%';
            uri += hex[byte >> 4];
            uri += hex[byte & 15];
        } else {
            uri += c;
        }
    }
    return uri;
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
        "CREATE TEMP TABLE renumber AS SELECT idx AS old_idx,"
        " row_number() OVER (ORDER BY idx) - 1 AS new_idx FROM items;"
        "UPDATE items SET idx = -1 - idx;"
        "UPDATE items SET idx = (SELECT new_idx FROM renumber WHERE old_idx = -1 - items.idx);"
        "UPDATE sqlite_sequence SET seq = (SELECT max(idx) FROM items) WHERE name = 'items';"
        "DROP TABLE renumber;");
    transaction.commit();
    db.exec("VACUUM");
}

}  // namespace

bool create_container_file(const std::string& path, const std::string& password) {
    const std::string temporary = path + ".new-" + std::to_string(getpid());
    remove_with_side_files(temporary);
    try {
        {
            Database db(temporary, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            db.exec("PRAGMA synchronous = FULL");
            write_schema(db, password);
        }
        if (!flush_to_disk(temporary)) throw SqliteError("flush");
        fs::rename(temporary, path);
        return true;
    } catch (const std::exception&) {
        remove_with_side_files(temporary);
        return false;
    }
}

bool is_container_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::array<unsigned char, 100> header{};
    if (!file.read(reinterpret_cast<char*>(header.data()), header.size())) return false;
    static const char magic[] = "SQLite format 3";
    if (!std::equal(magic, magic + 16, header.begin())) return false;
    if (big_endian(&header[68], 4) != application_id) return false;
    std::uint32_t page_size = big_endian(&header[16], 2);
    if (page_size == 1) page_size = 65536;
    if (page_size < 512 || (page_size & (page_size - 1)) != 0) return false;
    std::error_code error;
    const auto size = fs::file_size(path, error);
    const std::uint64_t pages = big_endian(&header[28], 4);
    return !error && size % page_size == 0 && size >= pages * page_size && pages > 0;
}

bool password_matches(Database& db, const std::string& password) {
    Statement read(db.handle(), "SELECT key, value FROM meta");
    std::string salt, verifier;
    int iterations = 0;
    while (read.step()) {
        const std::string key = read.blob(0);
        if (key == "salt") salt = read.blob(1);
        if (key == "verifier") verifier = read.blob(1);
        if (key == "iterations") iterations = std::atoi(read.blob(1).c_str());
    }
    return iterations > 0 && !verifier.empty() &&
           make_verifier(password, salt, iterations) == verifier;
}

bool password_matches(const std::string& path, const std::string& password) {
    try {
        Database db(as_uri(path) + "?immutable=1", SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
        return password_matches(db, password);
    } catch (const SqliteError&) {
        return false;
    }
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

bool write_compacted_copy(Database& db, const std::string& target) {
    if (fs::exists(fs::symlink_status(target))) return false;
    const std::string temporary = target + ".part-" + std::to_string(getpid());
    remove_with_side_files(temporary);
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
        fs::rename(temporary, target);
        flush_to_disk(
            fs::path(target).parent_path().empty() ? "." : fs::path(target).parent_path().string());
        return true;
    } catch (const std::exception&) {
        remove_with_side_files(temporary);
        return false;
    }
}

}  // namespace velmora::store
