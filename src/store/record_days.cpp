#include "store/record_days.h"

#include "store/day_records.h"
#include "store/kx_efs.h"

namespace velmora::store {

RecordDays stored_record_days(const std::string& folder) {
    const std::string prefix = folder + "/";
    RecordDays days;
    for (int i = 0; i < FX_Directory_Getcount(); ++i) {
        if (FX_Directory_Getitem_word("lb", i) != 0) continue;
        const std::string name = FX_Directory_Getitem_String("itemname", i);
        // Only "yyyymmdd.txt": anything else is no day's record.
        if (name.size() != prefix.size() + 12 || !name.starts_with(prefix)) continue;
        const std::string key = name.substr(prefix.size(), 8);
        if (!is_day_key(key) || name.compare(prefix.size() + 8, 4, ".txt") != 0) continue;
        days[key.substr(0, 4)][key.substr(4, 2)].insert(key.substr(6, 2));
    }
    return days;
}

}  // namespace velmora::store
