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

// One count of enterprises written into the template field `column`.
struct EnterpriseCount {
  std::string_view column;
  std::string_view counted;  // the argument of count()
  std::string_view condition;
};

std::span<const SummedColumn> EnterpriseSums();      // kfq_1.db a, 77 columns
std::span<const SummedColumn> ProductSums();         // kfq_2.db b, 4 columns
std::span<const SummedColumn> ProjectSums();         // kfq_5.db c, 2 columns
std::span<const EnterpriseCount> EnterpriseCounts();  // the five template fields, in order
std::span<const SummedColumn> EnterpriseRdSums();    // kfq_1.db a, 38 columns
std::span<const SummedColumn> ProjectRdSums();       // kfq_5.db c, 5 columns

// Rewrites qyhz.db: the 83 sums, then the template's fields with the five
// counts. Checks the template (kfq4hz.db with its five count fields) before
// writing anything, and fills it only once every count is known.
void BuildEnterpriseSummary(BuilderContext& context);

// Rewrites qyrdhz.db: the 38 R&D sums of the enterprises and the 5 of the
// projects (kfq1hz.db and kfq3hz.db then hold these columns).
void BuildEnterpriseRdSummary(BuilderContext& context);

}  // namespace veltra::reports
