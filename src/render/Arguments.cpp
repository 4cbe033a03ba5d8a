#include "render/Arguments.h"

#include <cmath>

#include "commands/Commands.h"
#include "surface/QuoteForMessage.h"
#include "view/ViewText.h"

namespace galleri {

namespace {

ParseResult Fail(const std::string& what) {
    const OptionsResult usage = UsageError(Program::Render, what);
    ParseResult r;
    r.error = usage.error;
    r.status = usage.status;
    return r;
}

std::string Quote(std::string_view s) {
    return QuoteForMessage(s, 60);
}

// Resolves an item name or caption to an enabled figure command.
std::string ResolveFigure(RenderRequest& r, std::string_view name) {
    const Command* c = FindCommand(name);
    if (c == nullptr) {
        return "unknown figure " + Quote(name);
    }
    if (c->kind != CommandKind::Figure) {
        return Quote(name) + " is not a figure";
    }
    if (!c->Enabled()) {
        return "figure " + Quote(name) + " is not built yet";
    }
    r.figure = c;
    return {};
}

}  // namespace

ParseResult ParseArguments(const std::vector<std::string>& args) {
    const OptionsResult parsed = ParseOptions(Program::Render, args);
    if (!parsed.Ok()) {
        ParseResult r;
        r.error = parsed.error;
        r.status = parsed.status;
        return r;
    }
    const Options& o = parsed.options;
    ParseResult result;
    RenderRequest& req = result.request;
    req.action = o.action;
    req.width = o.width;
    req.height = o.height;
    req.output = o.output;
    req.scalarEngine = o.scalarEngine;
    req.threads = o.threads;

    switch (o.action) {
        case Action::Help:
        case Action::Version:
            return result;
        case Action::List:
            return o.figure ? Fail("--list takes no figure") : result;
        case Action::Render:
            break;
    }
    if (!o.figure) {
        return Fail("no figure given");
    }
    const std::string error = ResolveFigure(req, *o.figure);
    if (!error.empty()) {
        return Fail(error);
    }
    if ((o.view || o.iterations) && !req.figure->Plane()) {
        return Fail(std::string(o.view ? "--view" : "--iterations") +
                    " needs a figure of the plane, and " + Quote(*o.figure) + " is not one");
    }
    req.iterations = o.iterations;
    if (o.view) {
        // A view that doubles draw without blocks is drawn as it always
        // was; a deeper one by perturbation.
        const ParsedView view = ParseView(*o.view);
        if (view.view &&
            DrawnInDoubles(*req.figure, ToDeepRect(*view.view), req.width, req.height)) {
            req.view = view.view;
        } else {
            ParsedDeepView deep = ParseDeepView(*o.view);
            if (!deep.view) {
                return Fail("bad view " + Quote(*o.view) + ": " + deep.error);
            }
            // Deep views are small ones: a number no double holds is as
            // out of range as it always was.
            for (const BigFloat* edge :
                 {&deep.view->left, &deep.view->right, &deep.view->bottom, &deep.view->top}) {
                if (!std::isfinite(edge->ToDouble())) {
                    return Fail("bad view " + Quote(*o.view) + ": " + view.error);
                }
            }
            if (const std::optional<PlaneRect> doubles = ToPlaneRect(*deep.view);
                doubles && DrawnInDoubles(*req.figure, *deep.view, req.width, req.height)) {
                req.view = doubles;
            } else {
                req.deepView = std::move(deep.view);
            }
        }
    }
    if (req.output.empty()) {
        req.output = std::string(req.figure->item) + ".png";
    }
    return result;
}

ParseResult ParseArguments(int argc, const char* const* argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    return ParseArguments(args);
}

std::string HelpText() {
    return HelpText(Program::Render);
}

}  // namespace galleri
