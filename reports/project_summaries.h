#pragma once
// One-row sums of a whole survey table: the software-base enterprises, the
// local programme projects supplied with the installation, and the
// national programme projects entered or added in this year's return.
// Over an empty source every column, the counts too, is null.
#include <string_view>

#include "reports/builder_query.h"

namespace veltra::reports {

inline constexpr std::string_view kSoftwareSummaryTable = "rjqyhz.db";
inline constexpr std::string_view kLocalProjectSummaryTable = "dfhz.db";
inline constexpr std::string_view kNationalProjectSummaryTable = "gjhz.db";

// Rewrites rjqyhz.db from every enterprise of every software base.
void BuildSoftwareEnterpriseSummary(BuilderContext& context);

// Rewrites dfhz.db from dfxm2.db, which only the installation provides.
void BuildLocalProjectSummary(BuilderContext& context);

// Rewrites gjhz.db from the national projects whose is_chge is '1' (entered)
// or '2' (added); those of the issued list not yet entered are left out.
void BuildNationalProjectSummary(BuilderContext& context);

}  // namespace veltra::reports
