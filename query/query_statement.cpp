#include "query/query_statement.h"

#include <algorithm>

namespace veltra::query {
namespace {

constexpr int kKindWithChangeFlag = 4;

// Builds one statement: its lines and the FROM list of the tables taking part.
class StatementBuilder {
 public:
  explicit StatementBuilder(const QueryChoices& choices) : choices_(choices), dictionary_(*choices.dictionary) {
    if (dictionary_.query_fields.empty()) {
      throw StatementRefused("查询字典中没有可查询的字段，无法组成查询语句");
    }
    // The first query field's table always leads: the join key is written with its alias.
    from_list_.push_back(dictionary_.query_fields.front().table);
  }

  std::vector<std::string> Query() {
    const std::vector<DictionaryField>& fields = dictionary_.query_fields;
    AppendSelectList(fields, choices_.query_ticks, "select ");
    if (choices_.query_ticks.empty()) {
      lines_.push_back("select *");
      for (const DictionaryField& field : fields) AddTableToFromList(field.table);
    }
    AppendFromAndWhere();
    for (std::size_t k = 0; k < choices_.sort.size(); ++k) {
      lines_.push_back((k == 0 ? " order by " : ",") + choices_.sort[k].caption);
      if (choices_.sort[k].descending) lines_.push_back(" desc");
    }
    return lines_;
  }

  std::vector<std::string> Totals() {
    if (choices_.sum_ticks.empty()) return {};
    const DictionaryField& first_sum = dictionary_.sum_fields.at(choices_.sum_ticks.front());
    AddTableToFromList(first_sum.table);
    AppendSelectList(dictionary_.group_fields, choices_.group_ticks, "select ");
    lines_.push_back(choices_.group_ticks.empty() ? "select sum(" : ",sum(");
    lines_.push_back(first_sum.field_name + ") " + first_sum.caption + "合计");
    for (std::size_t t = 1; t < choices_.sum_ticks.size(); ++t) {
      const DictionaryField& sum = dictionary_.sum_fields.at(choices_.sum_ticks[t]);
      lines_.push_back(",sum(" + sum.field_name + ") " + sum.caption + "合计");
      AddTableToFromList(sum.table);
    }
    AppendFromAndWhere();
    for (std::size_t g = 0; g < choices_.group_ticks.size(); ++g) {
      lines_.push_back((g == 0 ? " group by " : ",") + dictionary_.group_fields.at(choices_.group_ticks[g]).field_name);
    }
    return lines_;
  }

 private:
  void AppendSelectList(const std::vector<DictionaryField>& fields, const std::vector<int>& ticks,
                        const char* first_prefix) {
    for (std::size_t i = 0; i < ticks.size(); ++i) {
      const DictionaryField& field = fields.at(ticks[i]);
      lines_.push_back((i == 0 ? first_prefix : ",") + field.field_name + " " + field.caption);
      AddTableToFromList(field.table);
    }
  }

  void AddTableToFromList(const std::string& table) {
    if (std::find(from_list_.begin(), from_list_.end(), table) == from_list_.end()) from_list_.push_back(table);
  }

  void AddConditionTables(const std::vector<Condition>& conditions) {
    for (const Condition& condition : conditions) {
      if (condition.table.empty()) {
        throw StatementRefused("条件“" + condition.text +
                               "”没有记下所属的数据库：请先单击条件中的字段，再重新增加这个条件");
      }
      AddTableToFromList(condition.table);
    }
  }

  // The join of every further table with the first, on the first query field.
  std::string JoinCondition() const {
    if (from_list_.size() < 2) return "";
    const std::string& key = dictionary_.query_fields.front().field_name;
    const std::string first_alias = AliasOf(from_list_.front());
    if (first_alias.empty() || !key.starts_with(first_alias + ".")) {
      throw StatementRefused("查询字典的第一个字段“" + key + "”没有写成数据库 " + from_list_.front() +
                             " 的别名加点的形式，无法连接多个数据库");
    }
    std::string join;
    for (std::size_t k = 1; k < from_list_.size(); ++k) {
      const std::string alias = AliasOf(from_list_[k]);
      if (alias.empty()) {
        throw StatementRefused("数据库 " + from_list_[k] + " 没有别名，无法与 " + from_list_.front() + " 连接查询");
      }
      join += join.empty() ? "(" : " and (";
      join += key + "=" + alias + key.substr(first_alias.size()) + ")";
    }
    return join;
  }

  static std::string Group(const std::vector<Condition>& conditions, const char* connective) {
    std::string group = "(";
    for (std::size_t i = 0; i < conditions.size(); ++i) group += (i ? connective : "") + conditions[i].text;
    return group + ")";
  }

  void AppendFromAndWhere() {
    for (const std::string& table : choices_.ticked_tables) AddTableToFromList(table);
    AddConditionTables(choices_.and_conditions);
    AddConditionTables(choices_.or_conditions);

    const std::string join = JoinCondition();
    std::string from = from_list_.front();
    for (std::size_t k = 1; k < from_list_.size(); ++k) from += "," + from_list_[k];
    lines_.push_back(" from " + from);
    bool where = false;
    if (!join.empty()) {
      lines_.push_back(" where" + join);
      where = true;
    }
    const std::string& filter = choices_.report_type_filter;
    if (!filter.empty()) {
      lines_.push_back(where ? " and (" + filter + ")" : " where " + filter);
      where = true;
    }

    const bool has_and = !choices_.and_conditions.empty();
    const bool has_or = !choices_.or_conditions.empty();
    if (!has_and && !has_or) return;
    const std::string a = Group(choices_.and_conditions, " and ");
    const std::string b = Group(choices_.or_conditions, " or ");
    const char* between = choices_.or_between_groups ? " or " : " and ";
    if (has_and && has_or) {
      lines_.push_back((where ? " and (" : " where ") + a);
      lines_.push_back(between);
      lines_.push_back(where ? b + ")" : b);
    } else {
      lines_.push_back((where ? " and " : " where ") + (has_and ? a : b));
    }
  }

  const QueryChoices& choices_;
  const QueryDictionary& dictionary_;
  std::vector<std::string> from_list_;
  std::vector<std::string> lines_;
};

}  // namespace

std::string QueryReportTypeFilter(int kind) {
  return kind == kKindWithChangeFlag ? " (is_chge=\"1\" or is_chge=\"2\")" : "";
}

std::vector<std::string> BuildQueryStatement(const QueryChoices& choices) { return StatementBuilder(choices).Query(); }

std::vector<std::string> BuildTotalsStatement(const QueryChoices& choices) {
  return StatementBuilder(choices).Totals();
}

}  // namespace veltra::query
