#include "query/query_statement.h"

#include <gtest/gtest.h>

#include <functional>

namespace veltra::query {
namespace {

using Lines = std::vector<std::string>;

const std::string kA = "\"kfq_1.db\" a";
const std::string kB = "\"kfq_2.db\" b";
const std::string kFilter = " (is_chge=\"1\" or is_chge=\"2\")";

QueryDictionary Dictionary() {
  QueryDictionary d;
  d.query_fields = {{"报表编号", "a.QA01", "C", kA},
                    {"企业名称", "a.QA04", "C", kA},
                    {"总收入", "a.QC05", "N", kA},
                    {"产品名称", "b.QE02", "C", kB}};
  d.sum_fields = {{"总收入", "a.QC05", "N", kA}, {"企业数", "a.qa_one", "0", kA}, {"产品销售收入", "b.QE14", "N", kB}};
  d.group_fields = {{"报表编号", "a.QA01", "C", kA}, {"企业名称", "a.QA04", "C", kA}, {"产品名称", "b.QE02", "C", kB}};
  d.tables = {kA, kB};
  return d;
}

struct Case {
  const char* name;
  bool totals;
  std::function<void(QueryChoices&)> choose;
  Lines expected;
};

TEST(QueryStatementTest, StatementsLineForLine) {
  const std::vector<Case> cases = {
      {"nothing ticked", false, [](QueryChoices&) {},
       {"select *", " from " + kA + "," + kB, " where(a.QA01=b.QA01)"}},
      {"first table only", false, [](QueryChoices& c) { c.query_ticks = {1, 2}; },
       {"select a.QA04 企业名称", ",a.QC05 总收入", " from " + kA}},
      {"second table joined", false, [](QueryChoices& c) { c.query_ticks = {0, 3}; },
       {"select a.QA01 报表编号", ",b.QE02 产品名称", " from " + kA + "," + kB, " where(a.QA01=b.QA01)"}},
      {"ticked table takes part", false,
       [](QueryChoices& c) {
         c.query_ticks = {1};
         c.ticked_tables = {kB};
       },
       {"select a.QA04 企业名称", " from " + kA + "," + kB, " where(a.QA01=b.QA01)"}},
      {"both groups, or, joined", false,
       [](QueryChoices& c) {
         c.query_ticks = {3};
         c.and_conditions = {{"c1", kA}, {"c2", kA}};
         c.or_conditions = {{"d1", kB}};
         c.or_between_groups = true;
       },
       {"select b.QE02 产品名称", " from " + kA + "," + kB, " where(a.QA01=b.QA01)", " and ((c1 and c2)", " or ",
        "(d1))"}},
      {"both groups, and, no join", false,
       [](QueryChoices& c) {
         c.query_ticks = {1};
         c.and_conditions = {{"c1", kA}, {"c2", kA}};
         c.or_conditions = {{"d1", kA}};
       },
       {"select a.QA04 企业名称", " from " + kA, " where (c1 and c2)", " and ", "(d1)"}},
      {"or group alone after a join", false,
       [](QueryChoices& c) {
         c.query_ticks = {3};
         c.or_conditions = {{"d1", kA}, {"d2", kB}};
       },
       {"select b.QE02 产品名称", " from " + kA + "," + kB, " where(a.QA01=b.QA01)", " and (d1 or d2)"}},
      {"condition's table joins", false,
       [](QueryChoices& c) {
         c.query_ticks = {0};
         c.and_conditions = {{"b.QE02 = \"x\"", kB}};
       },
       {"select a.QA01 报表编号", " from " + kA + "," + kB, " where(a.QA01=b.QA01)", " and (b.QE02 = \"x\")"}},
      {"kind 4 with join", false,
       [](QueryChoices& c) {
         c.query_ticks = {3};
         c.report_type_filter = kFilter;
       },
       {"select b.QE02 产品名称", " from " + kA + "," + kB, " where(a.QA01=b.QA01)", " and (" + kFilter + ")"}},
      {"kind 4 single table, one condition", false,
       [](QueryChoices& c) {
         c.query_ticks = {0};
         c.report_type_filter = kFilter;
         c.and_conditions = {{"c1", kA}};
       },
       {"select a.QA01 报表编号", " from " + kA, " where  (is_chge=\"1\" or is_chge=\"2\")", " and (c1)"}},
      {"two sort fields, second descending", false,
       [](QueryChoices& c) {
         c.query_ticks = {0, 1};
         c.sort = {{"报表编号", false}, {"企业名称", true}};
       },
       {"select a.QA01 报表编号", ",a.QA04 企业名称", " from " + kA, " order by 报表编号", ",企业名称", " desc"}},
      {"totals, one group, two sums", true,
       [](QueryChoices& c) {
         c.group_ticks = {1};
         c.sum_ticks = {0, 2};
       },
       {"select a.QA04 企业名称", ",sum(", "a.QC05) 总收入合计", ",sum(b.QE14) 产品销售收入合计", " from " + kA + "," + kB,
        " where(a.QA01=b.QA01)", " group by a.QA04"}},
      {"totals without groups", true, [](QueryChoices& c) { c.sum_ticks = {1}; },
       {"select sum(", "a.qa_one) 企业数合计", " from " + kA}},
      {"totals, two groups, filter", true,
       [](QueryChoices& c) {
         c.group_ticks = {0, 2};
         c.sum_ticks = {1};
         c.report_type_filter = kFilter;
       },
       {"select a.QA01 报表编号", ",b.QE02 产品名称", ",sum(", "a.qa_one) 企业数合计", " from " + kA + "," + kB,
        " where(a.QA01=b.QA01)", " and (" + kFilter + ")", " group by a.QA01", ",b.QE02"}},
      {"totals with nothing to sum", true, [](QueryChoices& c) { c.group_ticks = {0}; }, {}},
  };
  const QueryDictionary dictionary = Dictionary();
  for (const Case& test : cases) {
    QueryChoices choices;
    choices.dictionary = &dictionary;
    test.choose(choices);
    EXPECT_EQ(test.totals ? BuildTotalsStatement(choices) : BuildQueryStatement(choices), test.expected) << test.name;
  }
}

TEST(QueryStatementTest, RefusesWhatCannotBeJoinedNamingIt) {
  struct Refusal {
    const char* name;
    std::function<void(QueryDictionary&, QueryChoices&)> choose;
    std::string named;
  };
  const std::vector<Refusal> refusals = {
      {"condition without table",
       [](QueryDictionary&, QueryChoices& c) { c.and_conditions = {{"a.QC05 > 1", kA}, {"qc05 > 3", ""}}; },
       "“qc05 > 3”"},
      {"or condition without table", [](QueryDictionary&, QueryChoices& c) { c.or_conditions = {{"x = 1", ""}}; },
       "“x = 1”"},
      {"joined table without alias",
       [](QueryDictionary& d, QueryChoices& c) {
         d.query_fields[3].table = "\"kfq_2.db\"";
         c.query_ticks = {3};
       },
       "\"kfq_2.db\" 没有别名"},
      {"join key without alias",
       [](QueryDictionary& d, QueryChoices& c) {
         d.query_fields[0].field_name = "QA01";
         c.ticked_tables = {kB};
       },
       "“QA01”"},
      {"no query field", [](QueryDictionary& d, QueryChoices&) { d.query_fields.clear(); }, "没有可查询的字段"},
  };
  for (const Refusal& refusal : refusals) {
    QueryDictionary dictionary = Dictionary();
    QueryChoices choices;
    refusal.choose(dictionary, choices);
    choices.dictionary = &dictionary;
    try {
      BuildQueryStatement(choices);
      ADD_FAILURE() << refusal.name << ": built";
    } catch (const StatementRefused& refused) {
      EXPECT_NE(std::string(refused.what()).find(refusal.named), std::string::npos) << refusal.name << ": "
                                                                                    << refused.what();
    }
  }
}

}  // namespace
}  // namespace veltra::query
