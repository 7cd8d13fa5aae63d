#include "cliarguments.h"

#include "meritpolicystore.h"

#include <QCommandLineParser>

namespace {

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

struct CommandForm {
    const char *name;
    CliCommand command;
    int fewest, most; // positional arguments after the command; -1: no limit
    const char *usage;
};

const CommandForm commandForms[] = {
    {"list", CliCommand::List, 0, 0, "list [--format text|csv|json]"},
    {"set", CliCommand::Set, 2, 2, "set FILTER default|disable|high|0xHHHHHHHH"},
    {"reset", CliCommand::Reset, 0, 0, "reset"},
    {"register", CliCommand::Register, 1, -1, "register FILE..."},
    {"unregister", CliCommand::Unregister, 1, 1, "unregister FILTER --yes"},
    {"export", CliCommand::Export, 0, 1, "export [FILE]"},
    {"apply", CliCommand::Apply, 1, 1, "apply FILE"},
    {"check", CliCommand::Check, 0, 1, "check [FILE | --policy]"},
    {"restore", CliCommand::Restore, 0, 0, "restore"},
    {"enforce", CliCommand::Enforce, 0, 0, "enforce"},
};

ParsedArguments badUse(const QString &error)
{
    ParsedArguments parsed;
    parsed.exitCode = exitBadUse;
    parsed.error = error + text("\nSee pivora-cli --help.");
    return parsed;
}

} // namespace

ParsedArguments parseArguments(const QStringList &arguments, bool twoViews)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList() << text("h") << text("help") << text("?"));
    const QCommandLineOption version(text("version"));
    const QCommandLineOption view(text("view"), QString(), text("bits"));
    const QCommandLineOption quiet(QStringList() << text("q") << text("quiet"));
    const QCommandLineOption format(text("format"), QString(), text("format"));
    const QCommandLineOption yes(text("yes"));
    const QCommandLineOption wait(text("wait"), QString(), text("seconds"));
    const QCommandLineOption policy(text("policy"));
    parser.addOptions({help, version, view, quiet, format, yes, wait, policy});
    ParsedArguments parsed;
    // "/?" is how Windows programs are asked for their help.
    if (arguments.contains(text("/?"))) {
        parsed.finished = true;
        parsed.output = helpText();
        return parsed;
    }
    if (!parser.parse(QStringList() << text("pivora-cli") << arguments))
        return badUse(parser.errorText());

    if (parser.isSet(help) || parser.isSet(version)) {
        parsed.finished = true;
        parsed.output = parser.isSet(help) ? helpText() : versionText();
        return parsed;
    }

    // An option's value is checked first: "--view list" took the command as
    // the view, and the command is then missing for that reason.
    CliRequest &request = parsed.request;
    if (parser.isSet(view)) {
        const QString bits = parser.value(view);
        if (bits == QLatin1String("64"))
            request.view = RegistryView::Bits64;
        else if (bits == QLatin1String("32") && twoViews)
            request.view = RegistryView::Bits32;
        else if (bits == QLatin1String("32"))
            return badUse(text("This Windows has one registry of filters: only --view 64 is accepted."));
        else
            return badUse(text("--view takes 32 or 64, not \"%1\".").arg(bits));
    }
    if (parser.isSet(wait)) {
        bool number = false;
        const int seconds = parser.value(wait).toInt(&number);
        if (!number || seconds < 0 || seconds > 86400)
            return badUse(text("--wait takes a number of seconds from 0 to 86400, not \"%1\".").arg(parser.value(wait)));
        request.waitSeconds = seconds;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return badUse(text("No command given."));
    const CommandForm *form = nullptr;
    for (const CommandForm &candidate : commandForms)
        if (positional[0] == QLatin1String(candidate.name))
            form = &candidate;
    if (!form)
        return badUse(text("Unknown command \"%1\".").arg(positional[0]));
    const int count = positional.size() - 1;
    if (count < form->fewest || (form->most >= 0 && count > form->most))
        return badUse(text("Usage: pivora-cli %1").arg(text(form->usage)));

    request.command = form->command;
    request.quiet = parser.isSet(quiet);
    const QStringList operands = positional.mid(1);

    if (parser.isSet(format)) {
        if (request.command != CliCommand::List)
            return badUse(text("--format belongs to list only."));
        const QString name = parser.value(format);
        if (name == QLatin1String("text"))
            request.format = ListFormat::Text;
        else if (name == QLatin1String("csv"))
            request.format = ListFormat::Csv;
        else if (name == QLatin1String("json"))
            request.format = ListFormat::Json;
        else
            return badUse(text("--format takes text, csv or json, not \"%1\".").arg(name));
    }
    if (parser.isSet(yes) && request.command != CliCommand::Unregister)
        return badUse(text("--yes belongs to unregister only."));
    request.yes = parser.isSet(yes);
    if (parser.isSet(policy) && (request.command != CliCommand::Check || !operands.isEmpty()))
        return badUse(text("--policy belongs to check without a FILE only."));
    request.policy = parser.isSet(policy);

    switch (request.command) {
    case CliCommand::Set:
        request.filter = operands[0];
        if (!parseMeritChoice(operands[1].toStdString(), &request.merit))
            return badUse(text("\"%1\" is no merit: give default, disable, high or 0x with 1 to 8 hexadecimal digits.")
                              .arg(operands[1]));
        break;
    case CliCommand::Unregister:
        request.filter = operands[0];
        break;
    default:
        request.files = operands;
        break;
    }
    return parsed;
}

QString versionText()
{
    return text("pivora-cli %1\n").arg(text(PIVORA_CLI_VERSION));
}

QString helpText()
{
    return text(
        "Usage: pivora-cli [--view 32|64] [-q] [--wait SECONDS] COMMAND [ARGUMENTS]\n"
        "\n"
        "Reads and sets the DirectShow merits of Kestrane's decoder and demultiplexer\n"
        "filters. Changes need an elevated prompt (Run as administrator).\n"
        "\n"
        "Commands:\n"
        "  list [--format text|csv|json]  every registered Kestrane filter\n"
        "  set FILTER MERIT               MERIT: default, disable, high or 0xHHHHHHHH\n"
        "                                 (1 to 8 hexadecimal digits); the choice is recorded\n"
        "  reset                          every registered filter back to its default merit\n"
        "  register FILE...               registers filter servers (.ax) with regsvr32\n"
        "  unregister FILTER --yes        unregisters the filter's server (and so every\n"
        "                                 filter it serves)\n"
        "  export [FILE]                  the merits as JSON, to FILE or standard output\n"
        "  apply FILE                     sets the merits of an exported file; a file with\n"
        "                                 any mistake changes nothing\n"
        "  check [FILE]                   lists the recorded choices (or the file's merits)\n"
        "                                 that the registry does not hold; changes nothing\n"
        "  check --policy                 lists the filters whose merits differ from the\n"
        "                                 organisation's policy; changes nothing\n"
        "  restore                        writes back every recorded choice a\n"
        "                                 re-registration undid\n"
        "  enforce                        writes every merit of the organisation's policy\n"
        "                                 that the registry does not hold\n"
        "\n"
        "FILTER is a CLSID (any case, with or without the braces) or a filter's name,\n"
        "exactly or in any case when that names one filter; for a name that is\n"
        "unknown or names several filters the near matches are listed.\n"
        "\n"
        "Options:\n"
        "  --view 32|64   the filters of 32-bit or of 64-bit players (default 64;\n"
        "                 32 only on 64-bit Windows)\n"
        "  -q, --quiet    errors only (list and export still write what they read)\n"
        "  --wait SECONDS how long a change waits while another Kestrane filter tool\n"
        "                 changes filters (default 30); then it gives up, exit 4\n"
        "  -h, --help, /? this text\n"
        "  --version      the program's version\n"
        "\n"
        "list columns, tab-separated, one line per filter (csv: the same columns,\n"
        "with a header line; json: the same fields by name):\n"
        "  CLSID, name, merit (Default, Disable, High or 0xHHHHHHHH), merit in\n"
        "  hexadecimal, default merit, server path, server file exists (yes/no),\n"
        "  recorded merit, when it was recorded (UTC), undone (yes/no: a\n"
        "  re-registration has replaced the recorded merit), the merit the\n"
        "  organisation's policy sets; \"-\" where there is none.\n"
        "\n"
        "set, reset, register, unregister, apply and restore write one line per filter\n"
        "touched to standard output:\n"
        "  CLSID <tab> name <tab> outcome <tab> merit before <tab> merit after\n"
        "outcome: changed, unchanged, registered, removed, refused, server-missing,\n"
        "not-registered, failed, or kept-by-policy (the organisation's policy sets\n"
        "the filter's merit: it was left at, or put back to, the policy's merit;\n"
        "set of such a filter is not done); a merit is 0xHHHHHHHH, or - where there\n"
        "is none. enforce writes the same lines for the filters it changed.\n"
        "check writes the same columns for each difference (outcome differs or\n"
        "not-registered; the merit now, the merit wanted). Filters refused or not\n"
        "done are listed on standard error, one per line with the reason.\n"
        "\n"
        "The organisation's policy (Group Policy's \"Kestrane filters\" settings) is\n"
        "kept in HKLM\\%1\n"
        "(HKLM\\%2 for --view 32), one string value per filter:\n"
        "the name its CLSID, the data its merit as set takes it. A value that does\n"
        "not read is named on standard error by every command that reads the\n"
        "policy, and is never applied.\n"
        "\n"
        "Exit codes:\n"
        "  0  done\n"
        "  1  bad use or bad input file (nothing changed)\n"
        "  2  a filter or file named was not found (nothing changed)\n"
        "  3  partly done (the filters not done are listed), or check found differences\n"
        "     (enforce: some of the policy's merits could not be written)\n"
        "  4  any other failure: the filter registrations cannot be read, another\n"
        "     Kestrane filter tool kept working past --wait, a file cannot be read\n"
        "  5  access denied, nothing changed: run it from an elevated prompt\n"
        "\n"
        "Examples:\n"
        "  pivora-cli list --format csv > filters.csv\n"
        "  pivora-cli set \"Kestrane HEVC Video Decoder\" high\n"
        "  pivora-cli --view 32 set {9531985D-5D9D-49F8-9818-E811892F902B} 0x00600000\n"
        "  pivora-cli export merits.json\n"
        "  pivora-cli apply merits.json\n"
        "  pivora-cli unregister \"Kestrane VP9 Video Decoder\" --yes\n"
        "  pivora-cli restore -q\n"
        "  pivora-cli check --policy || pivora-cli enforce\n")
        .arg(text(meritPolicyKey64), text(meritPolicyKey32));
}
