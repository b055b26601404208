#include "IO/IO_SvgPlot.h"

#include "System/SAL.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Pixel text: three decimals, no trailing zeros, no negative zero.
std::string Pixel(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", v);
    std::string s = text;
    if (s.find('.') != std::string::npos) {
        s.erase(s.find_last_not_of('0') + 1);
        if (s.back() == '.') {
            s.pop_back();
        }
    }
    return s == "-0" ? "0" : s;
}

double Round3(double v) {
    return std::round(v * 1000.0) / 1000.0;
}

// Bound text for the axes; adding 0 turns a negative zero into zero.
std::string Bound(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.7g", v + 0.0);
    return text;
}

// Length of the well-formed UTF-8 sequence at s[i], or 0.
std::size_t Utf8Length(const std::string& s, std::size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    unsigned char low = 0x80, high = 0xbf;  // allowed range of the second byte
    if (c >= 0xc2 && c <= 0xdf) {
        n = 2;
    } else if (c >= 0xe0 && c <= 0xef) {
        n = 3;
        low = c == 0xe0 ? 0xa0 : 0x80;   // no overlong forms
        high = c == 0xed ? 0x9f : 0xbf;  // no surrogates
    } else if (c >= 0xf0 && c <= 0xf4) {
        n = 4;
        low = c == 0xf0 ? 0x90 : 0x80;
        high = c == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (i + n > s.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < n; ++k) {
        const unsigned char b = static_cast<unsigned char>(s[i + k]);
        if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xbf)) {
            return 0;
        }
    }
    return n;
}

// Character data and attribute values: markup characters escaped, control
// characters and malformed UTF-8 replaced, so the document stays well formed.
std::string XmlText(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80) {
            const std::size_t n = Utf8Length(s, i);
            out += n == 0 ? std::string("?") : s.substr(i, n);
            i += n == 0 ? 1 : n;
            continue;
        }
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += (c < 0x20 || c == 0x7f) ? '?' : static_cast<char>(c);
        }
        ++i;
    }
    return out;
}

// The world range drawn for one component of B.
IO_ListedBounds DrawnRange(IO_ListedBounds b) {
    if (b.lo < b.hi) {
        return b;
    }
    const double s = std::max(1.0, std::fabs(b.lo));
    return {b.lo - s / 2, b.lo + s / 2};
}

// Where v lies in [lo, hi], as a fraction clipped to [0, 1]. Halves keep
// hi - lo finite for bounds near the largest double; a range whose halves
// meet (two neighbouring subnormals) maps everything to 0.
double Fraction(double v, const IO_ListedBounds& range) {
    const double span = range.hi / 2 - range.lo / 2;
    if (!(span > 0)) {
        return 0.0;
    }
    return std::min(1.0, std::max(0.0, (v / 2 - range.lo / 2) / span));
}

struct Frame {
    IO_ListedBounds x{0.0, 1.0};
    IO_ListedBounds y{0.0, 1.0};
    int width = kPlotSize;
    int height = kPlotStrip;
    bool twoD = false;

    double X(double v) const { return Round3(kPlotLeft + width * Fraction(v, x)); }
    double Y(double v) const { return Round3(kPlotTop + height * (1.0 - Fraction(v, y))); }
};

Frame MakeFrame(const IO_ListedBox& b) {
    Frame f;
    f.x = DrawnRange(b[0]);
    if (b.size() < 2) {
        return f;
    }
    f.twoD = true;
    f.y = DrawnRange(b[1]);
    const double dx = f.x.hi / 2 - f.x.lo / 2;
    const double dy = f.y.hi / 2 - f.y.lo / 2;
    f.width = f.height = kPlotSize;
    if (dx > dy) {
        f.height = std::max(kPlotMinSide, static_cast<int>(std::lround(kPlotSize * (dy / dx))));
    } else if (dy > dx) {
        f.width = std::max(kPlotMinSide, static_cast<int>(std::lround(kPlotSize * (dx / dy))));
    }
    return f;
}

void Rects(std::string& out, const Frame& f, const std::vector<IO_ListedBox>& boxes,
           const char* kind, const char* fill) {
    for (const IO_ListedBox& b : boxes) {
        const double left = f.X(b[0].lo);
        const double right = f.X(b[0].hi);
        double top = kPlotTop;
        double bottom = kPlotTop + f.height;
        if (f.twoD) {
            top = f.Y(b[1].hi);
            bottom = f.Y(b[1].lo);
        }
        out += "<rect class=\"" + std::string(kind) + "\" x=\"" + Pixel(left) + "\" y=\"" +
               Pixel(top) + "\" width=\"" + Pixel(right - left) + "\" height=\"" +
               Pixel(bottom - top) + "\" fill=\"" + fill + "\"/>\n";
    }
}

std::string Text(const char* kind, int x, int y, const char* anchor, const std::string& text,
                 const std::string& extra = "") {
    return "<text class=\"" + std::string(kind) + "\" x=\"" + std::to_string(x) + "\" y=\"" +
           std::to_string(y) + "\" text-anchor=\"" + anchor + "\"" + extra + ">" + XmlText(text) +
           "</text>\n";
}

void Axes(std::string& out, const Frame& f, const std::vector<std::string>& names) {
    const int right = kPlotLeft + f.width;
    const int bottom = kPlotTop + f.height;
    out += "<rect class=\"frame\" x=\"" + std::to_string(kPlotLeft) + "\" y=\"" +
           std::to_string(kPlotTop) + "\" width=\"" + std::to_string(f.width) + "\" height=\"" +
           std::to_string(f.height) + "\" fill=\"none\" stroke=\"#000000\" stroke-width=\"1\"/>\n";
    out += "<g font-family=\"sans-serif\" font-size=\"12\" fill=\"#000000\">\n";
    out += Text("bound", kPlotLeft, bottom + 16, "start", Bound(f.x.lo));
    out += Text("bound", right, bottom + 16, "end", Bound(f.x.hi));
    out += Text("name", kPlotLeft + f.width / 2, bottom + 34, "middle", names[0]);
    if (f.twoD) {
        out += Text("bound", kPlotLeft - 6, bottom, "end", Bound(f.y.lo));
        out += Text("bound", kPlotLeft - 6, kPlotTop + 12, "end", Bound(f.y.hi));
        const int mid = kPlotTop + f.height / 2;
        out += Text("name", kPlotLeft - 14, mid, "middle", names[1],
                    " transform=\"rotate(-90 " + std::to_string(kPlotLeft - 14) + " " +
                        std::to_string(mid) + ")\"");
    }
    out += "</g>\n";
}

std::string Count(std::size_t n, const char* noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

bool NamesFor(const IO_BoxListing& listing, const std::vector<std::string>& given,
              std::vector<std::string>& names, std::string& error) {
    const std::size_t d = listing.Dimension();
    if (!given.empty()) {
        if (given.size() != d) {
            error = "-v gives " + Count(given.size(), "name") + " for " + Count(d, "variable");
            return false;
        }
        names = given;
        return true;
    }
    if (listing.hasNames) {
        if (listing.names.size() != d) {
            error = "the echoed V line has " + Count(listing.names.size(), "name") +
                    " but the boxes have " + Count(d, "variable");
            return false;
        }
        names = listing.names;
        return true;
    }
    names = {"x1", "x2"};
    names.resize(d);
    return true;
}

}  // namespace

bool IO_SvgPlot(const IO_BoxListing& listing, const std::vector<std::string>& names,
                std::string& svg, std::string& error) {
    // snprintf of doubles follows the rounding mode.
    SAL_Interface::SetRounding(SAL_RoundNearest);
    const std::size_t d = listing.Dimension();
    if (d < 1 || d > 2) {
        error = "the boxes have " + Count(d, "variable") + "; only 1 or 2 can be drawn";
        return false;
    }
    std::vector<std::string> shown;
    if (!NamesFor(listing, names, shown, error)) {
        return false;
    }
    const Frame f = MakeFrame(listing.hasBox ? listing.box : listing.hull);
    const std::string width = std::to_string(kPlotLeft + f.width + kPlotRight);
    const std::string height = std::to_string(kPlotTop + f.height + kPlotBottom);

    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + width +
           "\" height=\"" + height + "\" viewBox=\"0 0 " + width + " " + height + "\">\n";
    out += "<title>BRIX boxes: " + std::to_string(listing.trueBoxes.size()) + " true, " +
           std::to_string(listing.falseBoxes.size()) + " false, " +
           std::to_string(listing.openBoxes.size()) + " open</title>\n";
    if (listing.thinBoxes > 0) {
        out += "<desc>" + std::to_string(listing.thinBoxes) +
               " proved box(es) thinner than the printed precision are not drawn</desc>\n";
    }
    out += "<rect class=\"background\" x=\"0\" y=\"0\" width=\"" + width + "\" height=\"" + height +
           "\" fill=\"#ffffff\"/>\n";
    out += "<g stroke=\"#000000\" stroke-width=\"0.5\">\n";
    Rects(out, f, listing.trueBoxes, "true", "#00ff00");
    Rects(out, f, listing.falseBoxes, "false", "#ff0000");
    Rects(out, f, listing.openBoxes, "open", "#ffffff");
    out += "</g>\n";
    Axes(out, f, shown);
    out += "</svg>\n";
    svg = std::move(out);
    return true;
}
