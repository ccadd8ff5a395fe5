#pragma once
// INSERT, UPDATE and DELETE: each computes all its changes from the table
// as it was, then hands them to the table in one call.
#include <cstddef>

#include "platform/sql/ast.h"
#include "platform/sql/catalog.h"

namespace veltra::sql {

std::size_t ExecuteInsert(const InsertStatement& insert, Catalog& catalog);
std::size_t ExecuteUpdate(const UpdateStatement& update, Catalog& catalog);
std::size_t ExecuteDelete(const DeleteStatement& remove, Catalog& catalog);

}  // namespace veltra::sql
