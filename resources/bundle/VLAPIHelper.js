// The page side of Sitebox's bridge: web notifications raised by the page become
// [title, options] messages on the "notifications" channel, shown as desktop notifications.
(function () {
    var handlers = window.webkit && window.webkit.messageHandlers;
    if (!handlers || !handlers.notifications) {
        return;
    }

    // Only plain values cross; anything else a page passes is left out.
    function plainOptions(options) {
        var plain = {};
        if (!options || typeof options !== "object") {
            return plain;
        }
        if (options.body !== undefined) {
            plain.body = String(options.body);
        }
        if (options.tag !== undefined) {
            plain.tag = String(options.tag);
        }
        if (Array.isArray(options.actions)) {
            plain.actions = options.actions.filter(function (a) {
                return a && typeof a === "object";
            }).map(function (a) {
                var action = {};
                if (a.action !== undefined) {
                    action.action = String(a.action);
                }
                if (a.title !== undefined) {
                    action.title = String(a.title);
                }
                return action;
            });
        }
        return plain;
    }

    function SiteboxNotification(title, options) {
        this.title = String(title);
        this.body = options && options.body !== undefined ? String(options.body) : "";
        this.tag = options && options.tag !== undefined ? String(options.tag) : "";
        this.onclick = null;
        this.onclose = null;
        this.onerror = null;
        this.onshow = null;
        handlers.notifications.postMessage([this.title, plainOptions(options)]);
    }
    SiteboxNotification.prototype.close = function () {};
    SiteboxNotification.prototype.addEventListener = function () {};
    SiteboxNotification.prototype.removeEventListener = function () {};
    SiteboxNotification.permission = "granted";
    SiteboxNotification.requestPermission = function (callback) {
        if (typeof callback === "function") {
            callback("granted");
        }
        return Promise.resolve("granted");
    };
    window.Notification = SiteboxNotification;

    // The namespace the autofill side of the bridge extends.
    window.vlAPIHelper = window.vlAPIHelper || {};
})();
