// The data folder's container, open for the life of one data command. A
// missing file is reported rather than created, as opening would otherwise
// do; a container that cannot be opened is left as it was. Both throw
// DataError with the message for the user.
#pragma once

#include <string>

namespace velmora::cli {

class OpenContainer {
public:
    explicit OpenContainer(const std::string& data_dir);
    ~OpenContainer();
    OpenContainer(const OpenContainer&) = delete;
    OpenContainer& operator=(const OpenContainer&) = delete;
};

}  // namespace velmora::cli
