#pragma once

#include <QString>

// Whether the linked database holds a modelled system: at least one domain, location,
// application and subsystem.
namespace ModelContext {

// True when it does; otherwise reason says which table failed or is empty, and detail (when
// given) the database's own reason for a failed query.
bool check(QString &reason, QString *detail = nullptr);

} // namespace ModelContext
