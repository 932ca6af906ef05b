#include "options.h"

namespace lexq {

bool ParseOptions(const std::vector<std::string> &arguments, TOptions &options,
                  std::string &error) {
    options = {};
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            options.Words.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            options.Help = true;
        } else if (argument == "--html") {
            options.Html = true;
        } else if (argument == "--list") {
            options.List = true;
        } else if (argument == "--exact") {
            options.Exact = true;
        } else if (argument == "--all") {
            options.All = true;
        } else if (argument == "--prefix" || argument.rfind("--prefix=", 0) == 0) {
            // "--prefix TEXT" or "--prefix=TEXT".
            if (argument == "--prefix" && i + 1 >= arguments.size()) {
                error = "optie --prefix verwacht een begin van een woord";
                return false;
            }
            options.HasPrefix = true;
            options.Prefix = argument == "--prefix" ? arguments[++i] : argument.substr(9);
        } else if (argument == "--fulltext" || argument.rfind("--fulltext=", 0) == 0) {
            if (argument == "--fulltext" && i + 1 >= arguments.size()) {
                error = "optie --fulltext verwacht de woorden om naar te zoeken";
                return false;
            }
            options.HasFulltext = true;
            options.Fulltext = argument == "--fulltext" ? arguments[++i] : argument.substr(11);
        } else if (argument == "--star") {
            options.Star = true;
        } else if (argument == "--to" || argument.rfind("--to=", 0) == 0) {
            if (argument == "--to" && i + 1 >= arguments.size()) {
                error = "optie --to verwacht de naam van een woordenlijst";
                return false;
            }
            options.ToList = argument == "--to" ? arguments[++i] : argument.substr(5);
            if (options.ToList.empty()) {
                error = "optie --to verwacht de naam van een woordenlijst";
                return false;
            }
        } else if (argument == "--timeout" || argument.rfind("--timeout=", 0) == 0) {
            const std::string seconds = argument == "--timeout"
                                            ? (i + 1 < arguments.size() ? arguments[++i] : "")
                                            : argument.substr(10);
            // Whole seconds as the viewer's setting takes them.
            const bool digits = !seconds.empty() && seconds.size() <= 2 &&
                                seconds.find_first_not_of("0123456789") == std::string::npos;
            options.TimeoutSeconds = digits ? std::stoi(seconds) : 0;
            if (options.TimeoutSeconds < 1 || options.TimeoutSeconds > 60) {
                error = "optie --timeout verwacht een aantal seconden van 1 tot 60";
                return false;
            }
        } else if (argument == "--list-words") {
            options.ListWords = true;
        } else if (argument == "--export-anki") {
            options.ExportAnki = true;
        } else if (argument.rfind("-d", 0) == 0) {
            // "-d BOOK" or "-dBOOK"; an empty name would silently mean the default book.
            if (argument == "-d" && i + 1 < arguments.size())
                options.Book = arguments[++i];
            else
                options.Book = argument.substr(2);
            if (options.Book.empty()) {
                error = "optie -d verwacht de naam van een woordenboek";
                return false;
            }
        } else {
            error = "onbekende optie '" + argument + "'";
            return false;
        }
    }
    if (options.All && !options.Book.empty()) {
        error = "optie --all gaat niet samen met -d";
        return false;
    }
    if (options.HasPrefix && (!options.Words.empty() || options.List)) {
        error = "optie --prefix gaat niet samen met woorden of --list";
        return false;
    }
    if (options.HasFulltext && (options.HasPrefix || !options.Words.empty() || options.List)) {
        error = "optie --fulltext gaat niet samen met woorden, --prefix of --list";
        return false;
    }
    // The word-list commands stand alone: each is one thing to do with the list.
    const int listCommands =
        (options.Star ? 1 : 0) + (options.ListWords ? 1 : 0) + (options.ExportAnki ? 1 : 0);
    const bool otherMode = options.List || options.HasPrefix || options.HasFulltext || options.All;
    if (listCommands > 1 || (listCommands == 1 && otherMode)) {
        error =
            "opties --star, --list-words en --export-anki gaan niet samen met elkaar, "
            "--list, --prefix, --fulltext of --all";
        return false;
    }
    if (!options.ToList.empty() && !options.Star) {
        error = "optie --to hoort bij --star";
        return false;
    }
    if (options.Star && options.Words.empty()) {
        error = "optie --star verwacht een woord";
        return false;
    }
    if (options.ListWords && options.Words.size() > 1) {
        error = "optie --list-words verwacht hoogstens de naam van een woordenlijst";
        return false;
    }
    if (options.ExportAnki && (options.Words.empty() || options.Words.size() > 2)) {
        error = "optie --export-anki verwacht een bestand, en eventueel eerst een woordenlijst";
        return false;
    }
    if (!options.Help && !options.List && !options.HasPrefix && !options.HasFulltext &&
        !options.ListWords && options.Words.empty()) {
        error = "geef een woord om op te zoeken";
        return false;
    }
    return true;
}

std::string HelpText() {
    return "Gebruik: lexq [-d WOORDENBOEK] [--html] [--exact] WOORD...\n"
           "        lexq [-d WOORDENBOEK] --prefix BEGIN\n"
           "        lexq [-d WOORDENBOEK] --fulltext VRAAG\n"
           "        lexq --all [--html] [--exact] WOORD...\n"
           "        lexq --all --prefix BEGIN\n"
           "        lexq --all --fulltext VRAAG\n"
           "        lexq [-d WOORDENBOEK] --list\n"
           "        lexq [-d WOORDENBOEK] --star [--to LIJST] WOORD...\n"
           "        lexq --list-words [LIJST]\n"
           "        lexq --export-anki [LIJST] BESTAND\n"
           "\n"
           "Zoekt woorden op in de woordenboeken van Morvelt taalkist (data/dict.cfg naast\n"
           "het programma), in dezelfde volgorde als de viewer, en toont de gevonden\n"
           "artikelen als tekst.\n"
           "\n"
           "Een woord met *, ? of [...] is een patroon: lexq toont dan de trefwoorden die\n"
           "erbij passen, een per regel ('*heid', '?uis', 'fiets*', '[bh]uis'; * staat voor\n"
           "een reeks letters, ? voor een letter, [a-e] voor een van de letters; \\* en \\?\n"
           "staan voor zichzelf).\n"
           "\n"
           "Heeft een woord geen artikel, dan zoekt lexq zoals de viewer naar de grondvorm\n"
           "('liep' is een vorm van 'lopen'; die regel staat op de foutuitvoer) en toont\n"
           "de artikelen daarvan. Is ook die er niet, dan volgen na \"Bedoelde u:\" de\n"
           "trefwoorden die er het meest op lijken, een per regel.\n"
           "\n"
           "  -d WOORDENBOEK  zoek in dit woordenboek (de naam uit dict.cfg); zonder -d het\n"
           "                  laatst gekozen woordenboek van de viewer, anders het eerste\n"
           "                  geïnstalleerde; of de naam van een groep (\"Alle uit het\n"
           "                  Nederlands\"): zoek zoals --all in de woordenboeken van die groep\n"
           "  --all           zoek in alle geïnstalleerde woordenboeken tegelijk: per\n"
           "                  woordenboek met artikelen een regel \"== WEERGAVENAAM ==\" en de\n"
           "                  artikelen, het beste antwoord eerst; bij --prefix de trefwoorden\n"
           "                  van alle woordenboeken samen, op volgorde; bij een patroon of\n"
           "                  --fulltext per woordenboek de trefwoorden, onder zo'n regel\n"
           "  --html          toon de resultaatpagina van de viewer (HTML) in plaats van tekst\n"
           "  --exact         zoek alleen het woord zelf: geen grondvorm, geen suggesties,\n"
           "                  geen patroon\n"
           "  --prefix BEGIN  toon de trefwoorden die zo beginnen, een per regel, zoals de\n"
           "                  lijst onder het zoekveld van de viewer\n"
           "  --fulltext VRAAG  toon de trefwoorden van de artikelen waarin alle woorden van\n"
           "                  de vraag staan, het best passende eerst, een per regel;\n"
           "                  \"...\" zoekt een woordgroep, woord* een begin, -woord sluit\n"
           "                  uit (het woordenboek heeft er een artikelindex voor nodig:\n"
           "                  lexqc index WOORDENBOEK)\n"
           "  --list          toon de woordenboeken: naam, weergavenaam, geïnstalleerd,\n"
           "                  getoond in de keuzelijst en huidig (*)\n"
           "  --star          bewaar de artikelen die lexq WOORD toont in de woordenlijst\n"
           "                  (trefwoord, woordenboek, tekst, het getypte woord en de\n"
           "                  grondvorm), en toon ze\n"
           "  --to LIJST      bij --star: in deze lijst (\"Les 3\") in plaats van de\n"
           "                  standaardlijst \"Woordenlijst\"\n"
           "  --list-words [LIJST]  toon de trefwoorden van de lijst (zonder LIJST de\n"
           "                  standaardlijst), een per regel, in de volgorde van bewaren\n"
           "  --export-anki [LIJST] BESTAND  schrijf de lijst als notities voor Anki\n"
           "                  (tekstimport: voorkant het trefwoord, achterkant het artikel,\n"
           "                  labels woordenboek en lijst); BESTAND - is de standaarduitvoer\n"
           "  --timeout SECONDEN  wacht zo lang op het antwoord van een server (1 tot 60;\n"
           "                  zonder deze optie de wachttijd die in de viewer is ingesteld,\n"
           "                  anders 5)\n"
           "  -h, --help      toon deze hulp\n"
           "\n"
           "Bij meer woorden krijgt elk woord een kopregel. De keuze van de viewer wordt niet\n"
           "gewijzigd.\n"
           "\n"
           "De woordenlijst staat in $XDG_DATA_HOME/taalkist/woordenlijst.sqlite (anders\n"
           "~/.local/share/taalkist/), dezelfde als die van de viewer.\n"
           "\n"
           "Afsluitcode: 0 alle woorden gevonden (of via hun grondvorm; bij --prefix, een\n"
           "patroon of --fulltext: een trefwoord gevonden), 1 een woord niet gevonden, 2 fout.\n"
           "Met --all of een groep telt een woord als gevonden wanneer een woordenboek het\n"
           "heeft; niet gevonden volgt \"Bedoelde u:\" met regels \"WOORD (WEERGAVENAAM)\".\n"
           "Bij --list-words: 1 als de lijst leeg is; een onbekende lijst is een fout.\n";
}

}  // namespace lexq
