#include "tools/mom/commands.h"

namespace mom_console {

std::string HelpText(const std::string& command) {
  if (command == "init")
    return R"(usage: mom init DB [--sample] [--force] | mom init DB --upgrade

Creates the manufacturing database DB (a file path, or a connection string naming a
Data Source) with its schema and stored procedures. A PostgreSQL connection string
creates the database it names on that server, e.g.
  mom init "Provider=PostgreSQL;Host=/run/pg;Port=5432;Database=mom;User ID=postgres"
  --sample   add the sample company (orders, routings, allocations, sales orders, ...)
  --force    replace an existing file or database (otherwise it is never touched; a
             server database is dropped first, ending its sessions)
  --upgrade  bring an existing database up to this version: add the quantity
             journal (and, on a server, the procedures that write it). No row is
             changed; the journal records changes from then on. A database that is
             not upgraded works as before, unjournalled
)";
  if (command == "history")
    return R"(usage: mom history DB (--order MOCODE | --line MODID | --allocation ID | --routing-line ID) [--table]

Prints the quantity journal of one order (its lines, allocations, routing lines and
operation-move lines), of one order line (the same for that line), of one allocation
or of one routing line: every change a write-back, the generation or the net-demand
crediting made, oldest first, one JSON object per line with "when" (UTC), "user",
"application", "procedure", "type", "table", "row", "column", "before", "after",
"change", "total" (the counter's running total) and the row's tokens before and after.
  --table    an aligned table instead of JSON lines
Example: mom history mom.db --order SMO0001 --table
)";
  if (command == "verify")
    return R"(usage: mom verify DB

Replays the quantity journal from each counter's opening value (its value before the
first journalled change) and compares it with the counter. A counter changed outside
the write-backs (by hand, by a script) differs, or breaks the chain of its journal;
each such counter is printed as one JSON object with the journal's value, the row's,
the difference, the journal row before which it was changed and "look_at": the
documents whose quantities decide which value is right. Nothing is changed and there
is no --fix: correct the counter through its documents.
Exit codes: 0 every counter agrees, 1 some differ (or the database has no journal).
)";
  if (command == "sql")
    return R"(usage: mom sql DB STATEMENT

Runs one statement through the data layer; the component's T-SQL is accepted
(convert(char,convert(money,X),2), getdate(), #temp tables, Alias=expr, ...).
Rows are printed one JSON object per line, keyed by column name.
Example: mom sql mom.db "select MoDId, convert(char,convert(money,Krts),2) as Krts from mom_orderdetail"
)";
  if (command == "register" || command == "unregister")
    return R"(usage: mom register [--system] | mom unregister [--system]

Runs the registration entry points of the suite's server library and of the component
library (KRZ7DEVUZIda.so), as regsvr32 would. They write to $MOM_REGISTRY, or to the
user's registry ~/.config/mom/registry.reg; with --system to the machine's registry
(/var/lib/mom/registry.reg, as root), which the package registers in when installed.
Objects are looked up in $MOM_REGISTRY alone when it is set, otherwise in the user's
registry and then the machine's. The libraries are taken from $MOM_LIB_DIR, ../lib
beside this program, or the installed package's server folder.
)";
  if (command == "ecn")
    return R"(usage: mom ecn DB [--type N] [--screenshot FILE]

Shows the engineering-change reference dialog of clsMOM (EcnApplyChangeRef) on DB and
prints the choice as one JSON object: "ApplyDId", "DocCode", "SortSeq" and "result"
(0, "" and 0 when the dialog was cancelled or closed).
  --type N            kind of change whose lines are listed (1 add, 2 change, 3 remove;
                      0, the default, lists every kind)
  --screenshot FILE   do not wait for the user: run the filter with empty boxes, make
                      the first line current, write a PNG of the dialog to FILE, cancel
Needs a display; without one set QT_QPA_PLATFORM=offscreen (enough for --screenshot).
Example: QT_QPA_PLATFORM=offscreen mom ecn mom.db --screenshot ecn.png
)";
  if (command == "call")
    return R"(usage: mom call DB OPERATION [NAME=VALUE ...] [--user U] [--acc A] [--rollback | --no-transaction]

Creates KRZ7DEVUZIda.clsMOM (registering it first if needed) and calls OPERATION
late-bound with the named arguments (names matched without regard to case). Arguments
not given are not passed: optional ones take their declared defaults.
  oConn / cn   the console opens DB and begins a transaction; it commits when the call
               returns true and rolls back otherwise (or always with --rollback).
               With --no-transaction it hands the open connection over with no
               transaction begun: each statement of the call commits on its own, as
               for a host that does not wrap its calls
  ClsLogin     a login object for DB with user --user (default $USER) and accounting
               set --acc (default 001)
  values       numbers as written; flags true/false; dates YYYY-MM-DD[ HH:MM:SS];
               @FILE reads a recordset from a JSON file
Prints one JSON object: "result", then every by-reference argument's final value.
A failed call prints {"error":{"number":N,"description":"..."}} and exits 3.
Arguments must be valid UTF-8 (exit 2 otherwise, before anything is called); texts
the call hands back that are not are printed with those bytes as \xNN.
Example: mom call mom.db MoRoutingWrB MoRoutingDId=3003 fNetChgQty=2
)";
  if (command == "serve")
    return R"(usage: mom serve DB [--listen ADDR:PORT | --socket PATH] [--token-file FILE | --insecure-loopback]
                [--threads N] [--max-body BYTES] [--key-ttl SECONDS] [--user U] [--acc A] [--log FILE]

Serves the clsMOM operations over HTTP/JSON until SIGINT or SIGTERM:
  POST /v1/call/OPERATION   body: the named arguments as one JSON object; answers the
                            object `mom call` prints (oConn calls run in a transaction
                            of their own, committed when the result is true)
  GET  /v1/health           {"status":"ok"} while the database answers (no token needed)
  GET  /v1/metrics          calls, refusals, replays and latency, Prometheus text
Statuses: 200 done (result true or false), 409 the row changed (with "currentKrts"),
400 bad arguments, 404 no such operation, 413 body too long, 422 key reused for
another request, 500 the operation's error status, 401 no or wrong token.
  --listen ADDR:PORT   where to listen (default 127.0.0.1:8470; port 0: any free port)
  --socket PATH        listen on a Unix socket instead
  --token-file FILE    callers send "Authorization: Bearer TOKEN" with the token in FILE
  --insecure-loopback  serve without a token (loopback or a Unix socket only)
  --threads N          requests served at once (default 8)
  --max-body BYTES     longest request body (default 1048576)
  --key-ttl SECONDS    how long an Idempotency-Key is kept (default 86400)
  --user U / --acc A   the login of ClsLogin operations (default $USER, 001)
  --log FILE           the JSON log, one line per request (default standard error)
A request with "Idempotency-Key: K" runs at most once; its retries get the stored
answer with "Idempotent-Replayed: true".
Example: mom serve mom.db --token-file /etc/mom/token
)";
  if (command == "so-lines" || command == "ext-lines")
    return R"(usage: mom so-lines DB [ORDER_CODE ...]
       mom ext-lines DB [CODE ...]

Prints, as a JSON recordset, the demand lines that the sales module (so-lines) or the
external-order module (ext-lines) hands to MO generation: the open lines of the named
orders (of every open order when none is named) still waiting for MOs, with the fields
id, Krts, isosid, iquantity, cfree1..10, cinvCode, dPreMoDate, icusbomid, cmemo,
igrouptype, inum, iinvexchrate, cSOCode, iRowNO. Generate with
  mom so-lines mom.db SO0003 > lines.json
  mom call mom.db PushMoFromSo SoRs=@lines.json [cFrom=EX]
)";
  if (command == "demo")
    return R"(usage: mom demo [DB]

Creates a fresh sample database (DB, or a temporary file) and walks through the road of
a product receipt: the routing's last operation and the order line written back, a line
without shop-floor control, a by-product, and a stale token refused; then MO generation
from a sales order (one line refused), a stale order token, and an external order.
)";
  return R"(usage: mom COMMAND [ARGS]

Commands:
  init DB [--sample] [--force]   create a manufacturing database (--upgrade: add the
                                 quantity journal to an existing one)
  sql DB STATEMENT               run one statement, print rows as JSON lines
  register | unregister [--system]
                                 (un)register the server libraries
  call DB OPERATION [NAME=VALUE ...] [--user U] [--acc A] [--rollback | --no-transaction]
                                 call a clsMOM operation late-bound
  serve DB [--listen ADDR:PORT | --socket PATH] [--token-file FILE | --insecure-loopback]
                                 serve the operations over HTTP/JSON
  so-lines DB [ORDER_CODE ...]   sales-order lines waiting for MOs, as a JSON recordset
  ext-lines DB [CODE ...]        external-order lines waiting for MOs, likewise
  demo [DB]                      walk through the write-back roads on sample data
  ecn DB [--type N] [--screenshot FILE]
                                 pick an engineering-change line in the dialog
  history DB --order MOCODE [--table]
                                 the quantity journal of an order (or --line,
                                 --allocation, --routing-line)
  verify DB                      replay the journal; report counters that differ

DB is a connection string (Provider=SQLite;Data Source=PATH, or
Provider=PostgreSQL;Host=...;Port=...;Database=...;User ID=...) or a file path.
Exit codes: 0 done, 1 failure, 2 bad usage, 3 the operation failed with an error.
Run `mom COMMAND --help` for details.
)";
}

}  // namespace mom_console
