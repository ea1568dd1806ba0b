#include "core/input/help_texts.h"

#include <initializer_list>
#include <string_view>

namespace nodewise {

namespace {

constexpr std::size_t ParagraphIndent = 25;
constexpr std::size_t NodeRangeColumn = 55;
constexpr std::size_t MatrixRangeColumn = 58;

// Builds a help text line by line.
class HelpText {
public:
    explicit HelpText(std::string_view title) {
        text_.append(title);
        text_.append("\n\n");
    }

    // Lines of a paragraph, each indented by 25 blanks.
    HelpText& paragraph(std::initializer_list<std::string_view> lines) {
        for (std::string_view line : lines) {
            text_.append(ParagraphIndent, ' ');
            text_.append(line);
            text_.push_back('\n');
        }
        return *this;
    }

    // The value range: a heading at the paragraph indent, the description starting in column
    // `column` and its continuation lines indented to the same column.
    HelpText& range(std::size_t column, std::initializer_list<std::string_view> lines) {
        constexpr std::string_view heading = "Campo di valori:";
        bool first = true;
        for (std::string_view line : lines) {
            if (first) {
                text_.append(ParagraphIndent, ' ');
                text_.append(heading);
                text_.append(column - ParagraphIndent - heading.size(), ' ');
                first = false;
            } else {
                text_.append(column, ' ');
            }
            text_.append(line);
            text_.push_back('\n');
        }
        return *this;
    }

    // The value range of the two node powers.
    HelpText& powerRange() {
        return range(NodeRangeColumn,
                     {"numeri reali il cui valore", "assoluto, per una scelta",
                      "opportuna della potenza di", "base, è dell'ordine dei", "decimi di unità."});
    }

    HelpText& gap() {
        text_.push_back('\n');
        return *this;
    }

    // The closing section shared by the four node quantities: when to leave the cell empty,
    // then the rule of the two known quantities and the six node types.
    HelpText& nodeTypes(std::initializer_list<std::string_view> whenUnknown) {
        gap();
        paragraph({"Informazioni aggiuntive:"});
        paragraph(whenUnknown);
        paragraph({"Ogni nodo deve avere esattamente due grandezze note,",
                   "così da poter essere classificato in uno dei sei", "tipi di nodo previsti:"});
        paragraph({"0-Ed  1-PQ  2-PE  3-Pd  4-QE  5-Qd"});
        return *this;
    }

    std::string str() const { return text_; }

private:
    std::string text_;
};

} // namespace

std::string ActivePowerHelpText() {
    return HelpText("Iniezioni di potenza attiva")
        .paragraph({"Valori in pu, riferiti a una potenza trifase di base",
                    "arbitraria ma costante, delle iniezioni di potenza",
                    "attiva note, imposte alla rete.",
                    "Sono positive se entranti (nodi di generazione),",
                    "negative se uscenti (nodi di carico), nulle (e",
                    "quindi note) nei nodi di semplice interconnessione."})
        .gap()
        .powerRange()
        .nodeTypes(
            {"lasciare vuota la casella quando l'iniezione non", "è nota (nodi Ed, QE, Qd)."})
        .str();
}

std::string ReactivePowerHelpText() {
    return HelpText("Iniezioni di potenza reattiva")
        .paragraph({"Valori in pu, riferiti a una potenza trifase di base",
                    "arbitraria ma costante, delle iniezioni di potenza",
                    "reattiva note, imposte alla rete.",
                    "Sono positive se entranti e induttive (o uscenti e",
                    "capacitive), negative se entranti e capacitive (o",
                    "uscenti e induttive), nulle (e quindi note) nei",
                    "nodi di semplice interconnessione."})
        .gap()
        .powerRange()
        .nodeTypes(
            {"lasciare vuota la casella quando l'iniezione non", "è nota (nodi Ed, PE, Pd)."})
        .str();
}

std::string VoltageMagnitudeHelpText() {
    return HelpText("Moduli delle tensioni nodali")
        .paragraph({"Valori in pu, riferiti di solito alla tensione",
                    "concatenata nominale di ciascuna sezione della rete,",
                    "dei moduli delle tensioni nodali noti, imposti alla", "rete."})
        .gap()
        .range(NodeRangeColumn, {"numeri reali positivi", "prossimi all'unità."})
        .nodeTypes({"lasciare vuota la casella quando il modulo della",
                    "tensione non è noto (nodi PQ, Pd, Qd)."})
        .str();
}

std::string VoltagePhaseHelpText() {
    return HelpText("Fasi delle tensioni nodali")
        .paragraph({"Valori delle fasi delle tensioni nodali note,", "imposte alla rete."})
        .gap()
        .range(NodeRangeColumn, {"numeri reali, di solito", "prossimi allo zero."})
        .gap()
        .paragraph({"Unità di misura: gradi."})
        .nodeTypes({"lasciare vuota la casella quando la fase della",
                    "tensione non è nota (nodi PQ, PE, QE)."})
        .str();
}

std::string AdmittanceHelpText() {
    return HelpText("Matrice delle ammettenze nodali")
        .paragraph({"Elementi della matrice delle ammettenze nodali, che",
                    "dipende dalla numerazione scelta per i nodi e si",
                    "ricava per ispezione della rete con semplici regole.",
                    "Valori in pu (pu=PerUnit), in generale complessi, da",
                    "inserire con la sintassi rigorosa"})
        .gap()
        .paragraph({"<SEGNO><PARTE REALE><SEGNO><PARTE IMMAGINARIA>J"})
        .gap()
        .paragraph({"dove gli spazi vengono ignorati, il segno + di una",
                    "parte reale positiva si può omettere e una componente",
                    "nulla si tralascia. La J che negli esempi indica",
                    "l'unità immaginaria va digitata minuscola (j):",
                    "una J maiuscola non viene riconosciuta e la parte", "immaginaria va perduta.",
                    "Esempi corretti:"})
        .gap()
        .paragraph({"1,23 + 0,37 J", "-3,21 - 2 J", "1", "+5", "- J"})
        .gap()
        .range(MatrixRangeColumn,
               {"per reti induttive ben costruite", "(resistenze piccole rispetto",
                "alle reattanze):", "sulla diagonale, parti reali", "piccole e positive e parti",
                "immaginarie negative", "dell'ordine delle decine;", "fuori diagonale, zero per i",
                "nodi non collegati, altrimenti", "parti reali piccole e negative",
                "e parti immaginarie positive", "dell'ordine delle decine."})
        .gap()
        .paragraph({"Informazioni aggiuntive:", "le caselle vuote valgono zero, tranne che sulla",
                    "diagonale principale: il numero dei nodi è fissato",
                    "dal primo elemento nullo (vuoto) della diagonale",
                    "principale, e quanto si trova oltre viene scartato", "con un avvertimento."})
        .str();
}

} // namespace nodewise
