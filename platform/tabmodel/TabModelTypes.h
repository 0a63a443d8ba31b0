#pragma once

namespace DataBaseInterface {
enum LinkType {
    LINK_DIRECT = 0,   // parameters typed into the connection dialog
    LINK_PLATFORM = 1, // the platform's database configuration (<root>/etc/database.ini)
};
}

namespace orv_dbms {
enum EDbType {
    DB_ORACLE = 0,
    DB_MYSQL = 1,
    DB_OPENGAUSS = 3,
    DB_KINGBASE = 4,
    DB_SQLITE = 5, // the embedded database; offered by the platform configuration, not the dialog
};
}
