// The sequence of operations the crash test runs: operation k writes,
// replaces or deletes one day record, so any prefix of the sequence has
// one exact expected content.
#pragma once

#include <map>
#include <string>

namespace velmora::testing {

inline std::string crash_record(long key) {
    return "plumora_plan/" + std::to_string(key) + ".txt";
}

struct CrashOp {
    enum Kind { write, replace, remove } kind;
    long key;
    std::string content;
};

inline CrashOp crash_op(long k) {
    const long key = k / 3;
    switch (k % 3) {
        case 0: {
            std::string content = std::to_string(k);
            content.append(static_cast<std::size_t>(k % 700), 'x');
            return {CrashOp::write, key, content};
        }
        case 1: return {CrashOp::replace, key, std::to_string(-k)};
        default: return {CrashOp::remove, key % 2 == 1 ? key - 1 : -1, {}};
    }
}

// The records expected after the first `count` operations.
inline std::map<std::string, std::string> crash_model(long count) {
    std::map<std::string, std::string> records;
    for (long k = 0; k < count; ++k) {
        CrashOp op = crash_op(k);
        if (op.kind == CrashOp::remove) {
            if (op.key >= 0) records.erase(crash_record(op.key));
        } else {
            records[crash_record(op.key)] = op.content;
        }
    }
    return records;
}

}  // namespace velmora::testing
