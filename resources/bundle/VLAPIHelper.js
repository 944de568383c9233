// The page side of Sitebox's notification bridge, in the page's own world: the page's
// Notification raises desktop notifications through the "notifications" channel as
// [title, options, number], and a click on one reaches the notification's onclick while the page
// is open. Autofill lives in the app's own world (VLAutoFill.js), out of the page's reach.
(function () {
    var handlers = window.webkit && window.webkit.messageHandlers;
    if (!handlers || !handlers.notifications) {
        return;
    }
    var channel = handlers.notifications;
    var shown = {};
    var counter = 0;

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
        if (!(this instanceof SiteboxNotification)) {
            throw new TypeError("Notification must be called with new");
        }
        this.title = String(title);
        this.body = options && options.body !== undefined ? String(options.body) : "";
        this.tag = options && options.tag !== undefined ? String(options.tag) : "";
        this.data = options ? options.data : undefined;
        this.onclick = null;
        this.onclose = null;
        this.onerror = null;
        this.onshow = null;
        this._listeners = {};
        this._number = ++counter;
        shown[this._number] = this;
        channel.postMessage([this.title, plainOptions(options), this._number]);
    }
    SiteboxNotification.prototype.close = function () {
        delete shown[this._number];
    };
    SiteboxNotification.prototype.addEventListener = function (type, listener) {
        if (typeof listener === "function") {
            (this._listeners[type] = this._listeners[type] || []).push(listener);
        }
    };
    SiteboxNotification.prototype.removeEventListener = function (type, listener) {
        var list = this._listeners[type] || [];
        var at = list.indexOf(listener);
        if (at >= 0) {
            list.splice(at, 1);
        }
    };
    SiteboxNotification.prototype._dispatch = function (type) {
        var event = {type: type, target: this, currentTarget: this, defaultPrevented: false,
                     preventDefault: function () { this.defaultPrevented = true; }};
        if (typeof this["on" + type] === "function") {
            this["on" + type].call(this, event);
        }
        (this._listeners[type] || []).slice().forEach(function (listener) {
            listener.call(this, event);
        }, this);
    };
    SiteboxNotification.permission = "granted";
    SiteboxNotification.maxActions = 4;
    SiteboxNotification.requestPermission = function (callback) {
        if (typeof callback === "function") {
            callback("granted");
        }
        return Promise.resolve("granted");
    };
    window.Notification = SiteboxNotification;

    // The app calls this when the user clicked notification `number` of this page.
    window.vlAPIHelper = window.vlAPIHelper || {};
    window.vlAPIHelper.notificationClicked = function (number) {
        var notification = shown[number];
        if (notification) {
            delete shown[number];
            notification._dispatch("click");
        }
    };
})();
