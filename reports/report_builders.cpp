#include "reports/report_builders.h"

#include "reports/enterprise_lists.h"
#include "reports/enterprise_summaries.h"
#include "reports/project_summaries.h"

namespace veltra::reports {

ReportDispatch::Builders ReportBuilders(BuilderContext& context) {
  BuilderContext* c = &context;
  ReportDispatch::Builders builders;
  builders.national_projects = [c] { BuildNationalProjectSummary(*c); };
  builders.local_projects = [c] { BuildLocalProjectSummary(*c); };
  builders.software_enterprises = [c] { BuildSoftwareEnterpriseSummary(*c); };
  builders.enterprises = [c] { BuildEnterpriseSummary(*c); };
  builders.enterprise_rd = [c] { BuildEnterpriseRdSummary(*c); };
  builders.industrial_list = [c] { BuildIndustrialEnterpriseList(*c); };
  builders.service_list = [c] { BuildServiceEnterpriseList(*c); };
  builders.large_list = [c] { BuildLargeEnterpriseList(*c, 1); };
  builders.listed_list = [c] { BuildLargeEnterpriseList(*c, 2); };
  return builders;
}

}  // namespace veltra::reports
