#pragma once
// The one-row summaries of the enterprise survey (kfq_1.db enterprises,
// kfq_2.db products, kfq_5.db projects), summed over every record.
// Partial sums go to kfq1hz.db, kfq2hz.db and kfq3hz.db, the enterprise
// counts into the installation's template kfq4hz.db; a cross join of the
// partial tables is the summary. Over empty tables every sum is null and
// every count 0; the printouts show null as an empty cell.
#include <span>
#include <string_view>

#include "reports/builder_query.h"

namespace veltra::reports {

inline constexpr std::string_view kEnterpriseSummaryTable = "qyhz.db";
inline constexpr std::string_view kEnterpriseRdSummaryTable = "qyrdhz.db";
inline constexpr std::string_view kEnterpriseCountTemplate = "kfq4hz.db";

// The 77 sums over kfq_1.db (alias a) that open the enterprise summary.
std::span<const SummedColumn> EnterpriseSums();

// Rewrites qyhz.db: the 83 sums, then the template's fields with the five
// counts. Checks the template (kfq4hz.db with its five count fields) before
// writing anything, and fills it only once every count is known.
void BuildEnterpriseSummary(BuilderContext& context);

// Rewrites qyrdhz.db: the 38 R&D sums of the enterprises and the 5 of the
// projects (kfq1hz.db and kfq3hz.db then hold these columns).
void BuildEnterpriseRdSummary(BuilderContext& context);

}  // namespace veltra::reports
