#pragma once

#include <memory>

#include "Database.h"
#include "PageRows.h"
#include "Table.h"
#include "TempDir.h"

namespace vellora::testing {

// A working database in a fresh directory with its four tables open as the
// main window holds them, and the page rows on them. Without `durable`,
// commits do not wait for the disk.
struct PageStore {
    TempDir tmp;
    std::unique_ptr<Database> db;
    std::unique_ptr<Table> lesn, page, wurd, choice;
    std::unique_ptr<PageRows> rows;

    explicit PageStore(bool durable) {
        Database::createTables(tmp.path(), true, durable);
        db = std::make_unique<Database>(tmp.path());
        db->setDurable(durable);
        lesn = std::make_unique<Table>(*db, TableId::Lesn);
        page = std::make_unique<Table>(*db, TableId::Page);
        wurd = std::make_unique<Table>(*db, TableId::Wurd);
        choice = std::make_unique<Table>(*db, TableId::Choice);
        rows = std::make_unique<PageRows>(*lesn, *page, *wurd, *choice);
    }
};

}  // namespace vellora::testing
