#pragma once
// The summary and list builders bound to the report window's dispatch:
//
//   db::Query Query1{main.Database1};
//   BuilderContext context{main, Query1};
//   TF_report report(main, ReportBuilders(context));  // context outlives the window
#include "reports/builder_query.h"
#include "reports/report_dispatch.h"

namespace veltra::reports {

ReportDispatch::Builders ReportBuilders(BuilderContext& context);

}  // namespace veltra::reports
