#include "plans/schedule_days.h"

#include <string_view>

#include "store/kx_efs.h"

namespace velmora::plans {

namespace {

constexpr std::string_view plan_prefix = "plumora_plan/";

}  // namespace

PlanDays stored_plan_days() {
    PlanDays days;
    for (int i = 0; i < FX_Directory_Getcount(); ++i) {
        if (FX_Directory_Getitem_word("lb", i) != 0) continue;
        const std::string name = FX_Directory_Getitem_String("itemname", i);
        if (name.size() <= plan_prefix.size() || !name.starts_with(plan_prefix)) continue;
        const std::string key = name.substr(plan_prefix.size(), 8);
        if (key.size() < 8) continue;
        days[key.substr(0, 4)][key.substr(4, 2)].insert(key.substr(6, 2));
    }
    return days;
}

}  // namespace velmora::plans
