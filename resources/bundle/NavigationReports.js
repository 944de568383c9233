// Runs in the app's own script world, where the page's scripts cannot reach it. It tells the
// app what the user does just before a navigation follows: a pointer or key press in any frame
// (a page may open one window per press), and in the main frame each link click and form
// submission with the address it goes to and whether it opens a new window. Nothing else.
(function () {
    var handlers = window.webkit && window.webkit.messageHandlers;
    var channel = handlers && handlers.siteboxNavigation;
    if (!channel) {
        return;
    }
    function post(message) {
        try {
            channel.postMessage(message);
        } catch (e) {
        }
    }
    function webAddress(url) {
        return typeof url === "string" && /^https?:/i.test(url);
    }
    // Where a target sends the navigation from the main frame: "main", "new", or nothing for a
    // named target, which may be a frame of the page.
    function where(target) {
        target = (target || "").toLowerCase();
        if (target === "" || target === "_self" || target === "_top" || target === "_parent") {
            return "main";
        }
        return target === "_blank" ? "new" : null;
    }

    function gesture(event) {
        if (event.isTrusted && !event.repeat) {
            post({kind: "gesture"});
        }
    }
    window.addEventListener("pointerdown", gesture, true);
    window.addEventListener("keydown", gesture, true);

    if (window.top !== window) {
        return;
    }
    window.addEventListener("click", function (event) {
        var path = event.composedPath ? event.composedPath() : [event.target];
        for (var i = 0; i < path.length; i++) {
            var node = path[i];
            if (!node || !node.tagName) {
                continue;
            }
            var tag = node.tagName.toLowerCase();
            if ((tag === "a" || tag === "area") && node.hasAttribute("href")) {
                var to = where(node.target);
                if (!node.hasAttribute("download") && to && webAddress(node.href)) {
                    post({kind: "link", url: node.href, target: to});
                }
                return;
            }
        }
    }, true);
    window.addEventListener("submit", function (event) {
        var form = event.target;
        var by = event.submitter;
        if (!form || form.tagName.toLowerCase() !== "form") {
            return;
        }
        var action = by && by.hasAttribute("formaction") ? by.formAction : form.action;
        var target = by && by.hasAttribute("formtarget") ? by.formTarget : form.target;
        var to = where(target);
        if (to && webAddress(action)) {
            post({kind: "form", url: action, target: to});
        }
    }, true);
})();
