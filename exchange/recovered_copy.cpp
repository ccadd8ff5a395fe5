#include "exchange/recovered_copy.h"

#include "platform/formats/table_recovery.h"
#include "platform/types/error.h"
#include "platform/ui/error_text.h"

namespace veltra::exchange {

void RecoverBeforeCopy(const std::filesystem::path& table, formats::FolderOrigin origin) {
  try {
    formats::RecoverTableFiles(table, origin);
  } catch (const EngineError& failure) {
    throw EngineError(EngineError::Kind::Io,
                      EngineError::Words{"数据表" + table.string() + "中断的写入未能恢复，不能复制：" + ui::UserText(failure)},
                      failure.subject());
  }
}

}  // namespace veltra::exchange
