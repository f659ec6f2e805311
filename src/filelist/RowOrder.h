#pragma once

#include "filelist/FileRow.h"

#include <QString>

#include <vector>

// The order that sorts the rows by a column: row i of the sorted list is the row now at result[i]. Names
// and folders compare as a reader orders them (letter case and character width aside, runs of digits by
// their value, so file2 comes before file10), sizes by their numbers, dates by their time, attributes by
// their letters. Rows that compare equal keep their order, so that a second sort changes nothing.
std::vector<qsizetype> sortedRowOrder(const std::vector<FileRow>& rows, FileColumn column, Qt::SortOrder order);

// The same for texts of one per row (the new names of a preview), ordered as names are.
std::vector<qsizetype> sortedTextOrder(const std::vector<QString>& texts, Qt::SortOrder order);
