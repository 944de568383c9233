// The login-form side of Sitebox's autofill. Runs in the app's own script world in every frame,
// out of the page's reach: the page cannot call the fill function, read what the app fills into
// another frame, or post on the "autoFill" channel. It reports the login form of its frame and
// what the user does in it, and fills a login the app hands it.
(function () {
    var handlers = window.webkit && window.webkit.messageHandlers;
    var channel = handlers && handlers.autoFill;
    if (!channel) {
        return;
    }
    var isTop = window.top === window;
    var keys = {ArrowUp: -1, ArrowDown: 1, Enter: 13, Escape: 27};
    var watched = [];  // password fields already reported
    var form = null;   // {username, password} inputs of the last form found
    var filling = false;  // the app's own fill is no typing of the user

    function frame() {
        return {origin: location.origin, url: location.href, top: isTop};
    }
    function post(event, args) {
        if (filling) {
            return;
        }
        try {
            channel.postMessage([event].concat(args, [frame()]));
        } catch (e) {
        }
    }
    // Where the menu goes: under the field, in this frame's coordinates.
    function under(field) {
        var rect = field.getBoundingClientRect();
        return {left: rect.left, top: rect.bottom};
    }
    function visible(field) {
        var rect = field.getBoundingClientRect();
        return rect.width > 0 && rect.height > 0 && getComputedStyle(field).visibility !== "hidden";
    }
    // The text field that comes before the password field in its form (or the page).
    function usernameFor(password) {
        var scope = password.form || document;
        var fields = scope.querySelectorAll("input");
        var candidate = null;
        for (var i = 0; i < fields.length; i++) {
            var field = fields[i];
            if (field === password) {
                break;
            }
            var type = (field.type || "text").toLowerCase();
            if ((type === "text" || type === "email" || type === "tel") && visible(field)) {
                candidate = field;
            }
        }
        return candidate;
    }
    function watch(field, kind) {
        var name = kind === "username" ? "Username" : "Password";
        field.addEventListener("input", function () {
            post("on" + name + "Change", [field.value, under(field)]);
        }, true);
        field.addEventListener("focus", function () {
            post("on" + name + "Focused", [under(field)]);
        }, true);
        field.addEventListener("blur", function () {
            post("on" + name + "Blurred", []);
        }, true);
        field.addEventListener("keyup", function (event) {
            if (event.isTrusted && keys.hasOwnProperty(event.key)) {
                post("onKeyUp", [keys[event.key]]);
            }
        }, true);
    }
    function scan() {
        var passwords = document.querySelectorAll("input[type=password]");
        for (var i = 0; i < passwords.length; i++) {
            var password = passwords[i];
            if (watched.indexOf(password) >= 0 || !visible(password)) {
                continue;
            }
            watched.push(password);
            var username = usernameFor(password);
            form = {username: username, password: password};
            watch(password, "password");
            if (username) {
                watch(username, "username");
            }
            post("onLoginFound", [{username: username ? username.value : "",
                                   password: password.value}]);
            return;  // one form per frame
        }
    }
    var pending = false;
    function scanSoon() {
        if (!pending) {
            pending = true;
            setTimeout(function () {
                pending = false;
                scan();
            }, 250);
        }
    }
    document.addEventListener("DOMContentLoaded", scan);
    new MutationObserver(scanSoon).observe(document, {childList: true, subtree: true});

    // The page's own scripts hear of the new values as if typed; the app does not.
    function setValue(field, value) {
        if (!field) {
            return;
        }
        filling = true;
        try {
            field.value = value;
            field.dispatchEvent(new Event("input", {bubbles: true}));
            field.dispatchEvent(new Event("change", {bubbles: true}));
        } finally {
            filling = false;
        }
    }
    function fillHere(username, password) {
        if (!form) {
            return false;
        }
        setValue(form.username, username);
        setValue(form.password, password);
        return true;
    }
    // Passes a fill on to the frames of the given origin only; the browser delivers a message
    // to a frame only when its origin is the one named.
    function relay(origin, username, password) {
        for (var i = 0; i < window.frames.length; i++) {
            try {
                window.frames[i].postMessage({siteboxAutoFill: {origin: origin, username: username,
                                                                password: password}}, origin);
            } catch (e) {
            }
        }
    }
    window.addEventListener("message", function (event) {
        var fill = event.data && event.data.siteboxAutoFill;
        if (!fill || event.source !== window.parent || fill.origin !== location.origin) {
            return;
        }
        if (!fillHere(String(fill.username), String(fill.password))) {
            relay(fill.origin, fill.username, fill.password);
        }
    });

    window.vlAPIHelper = window.vlAPIHelper || {};
    window.vlAPIHelper.autoFill = {
        // Fills the login form of this frame (the main frame's).
        autoFill: function (username, password) {
            fillHere(String(username), String(password));
        },
        // Fills the login form of the frame of `origin`, wherever it is in the page.
        autoFillFrame: function (origin, username, password) {
            if (origin === location.origin && fillHere(String(username), String(password))) {
                return;
            }
            relay(origin, String(username), String(password));
        },
        // Where the focused frame sits in the page, for a menu under a field inside it.
        focusedFrameOffset: function () {
            var active = document.activeElement;
            if (!active || (active.tagName !== "IFRAME" && active.tagName !== "FRAME")) {
                return null;
            }
            var rect = active.getBoundingClientRect();
            return {left: rect.left + active.clientLeft, top: rect.top + active.clientTop};
        }
    };
})();
