#pragma once
// Result columns: what the server describes, as the framework's column descriptions, and the values of
// a fetched row.

#include <string>
#include <vector>

#include "db/driver.h"
#include "fb_api.h"
#include "fb_text.h"

namespace zr::db::firebird {

struct OutputColumn {
  driver::ColumnInfo Info;
  unsigned SqlType = 0;  // without the nullable bit
  int SubType = 0;
  int SqlScale = 0;  // Firebird's: negative for scaled integers
  unsigned Length = 0;
  unsigned CharSet = 0;
  unsigned Offset = 0;
  unsigned NullOffset = 0;
};

// Column names arrive in the connection's character set, read through `text`.
std::vector<OutputColumn> DescribeColumns(Firebird::IMessageMetadata* metadata, const ConnectionText& text);

// Reads the value of `column` from a fetched row. BLOB contents are read through the attachment within
// the transaction of the cursor. Text of the connection's code page (or of NONE) is read through `text`;
// UTF8 text and octets stay as they came.
TFDValue ReadValue(const OutputColumn& column, const unsigned char* row, Firebird::IAttachment* attachment,
                   Firebird::ITransaction* transaction, const ConnectionText& text);

}  // namespace zr::db::firebird
