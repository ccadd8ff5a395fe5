#pragma once
// Lists of selected enterprises of kfq_1.db, one row each, largest total
// income (qc05) first; rows of equal income keep the table's order.
#include <optional>
#include <string_view>

#include "reports/builder_query.h"

namespace veltra::reports {

inline constexpr std::string_view kIndustrialListTable = "gyqy.db";
inline constexpr std::string_view kServiceListTable = "fwqy.db";
inline constexpr std::string_view kLargeListTable = "dqy.db";

// Rewrites gyqy.db: industrial enterprises (industry division "06" to "46")
// with a total income of at least 5000.
void BuildIndustrialEnterpriseList(BuilderContext& context);

// Rewrites fwqy.db: technical service enterprises (industry divisions 63,
// 64, 65, 73, 74, 75), whatever their income.
void BuildServiceEnterpriseList(BuilderContext& context);

// Rewrites dqy.db with the enterprises of `mode`: 0 a total income of at
// least 50000, 1 at least 100000, 2 the listed ones (qb15 holds a value
// other than a single blank). Any other mode leaves dqy.db as it was.
void BuildLargeEnterpriseList(BuilderContext& context, int mode);

}  // namespace veltra::reports
