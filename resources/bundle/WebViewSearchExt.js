// Find in page and link lookup for Sitebox pages.
//   wkWebview_HighlightAllOccurencesOfString(text)  marks every occurrence (case-insensitive)
//   wkWebview_SearchResultCount                     number of marks of the last search
//   wkWebview_ScrollTo(index)                       brings mark `index` into view
//   wkWebview_RemoveAllHighlights()                 removes every mark
//   wkWebview_getLink(x, y)                         address of the link at a point, or ""
var wkWebview_SearchResultCount = 0;
var wkWebview_Highlights = [];

function wkWebview_RemoveAllHighlights() {
    for (var i = 0; i < wkWebview_Highlights.length; i++) {
        var mark = wkWebview_Highlights[i];
        var parent = mark.parentNode;
        if (!parent) {
            continue;
        }
        parent.replaceChild(document.createTextNode(mark.textContent), mark);
        parent.normalize();
    }
    wkWebview_Highlights = [];
    wkWebview_SearchResultCount = 0;
}

function wkWebview_HighlightAllOccurencesOfString(keyword) {
    wkWebview_RemoveAllHighlights();
    var needle = String(keyword || "").toLowerCase();
    if (!needle || !document.body) {
        return 0;
    }
    var walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT, {
        acceptNode: function (node) {
            var parent = node.parentNode;
            if (!parent || /^(SCRIPT|STYLE|NOSCRIPT|TEXTAREA)$/.test(parent.nodeName)) {
                return NodeFilter.FILTER_REJECT;
            }
            return node.nodeValue.toLowerCase().indexOf(needle) >= 0
                ? NodeFilter.FILTER_ACCEPT : NodeFilter.FILTER_REJECT;
        }
    });
    var nodes = [];
    while (walker.nextNode()) {
        nodes.push(walker.currentNode);
    }
    for (var n = 0; n < nodes.length; n++) {
        var node = nodes[n];
        var text = node.nodeValue;
        var lower = text.toLowerCase();
        var fragment = document.createDocumentFragment();
        var from = 0;
        var at;
        while ((at = lower.indexOf(needle, from)) >= 0) {
            fragment.appendChild(document.createTextNode(text.substring(from, at)));
            var mark = document.createElement("span");
            mark.className = "wkWebview_Highlight";
            mark.style.backgroundColor = "#ffe14d";
            mark.style.color = "black";
            mark.textContent = text.substring(at, at + needle.length);
            fragment.appendChild(mark);
            wkWebview_Highlights.push(mark);
            from = at + needle.length;
        }
        fragment.appendChild(document.createTextNode(text.substring(from)));
        node.parentNode.replaceChild(fragment, node);
    }
    wkWebview_SearchResultCount = wkWebview_Highlights.length;
    return wkWebview_SearchResultCount;
}

function wkWebview_ScrollTo(index) {
    var i = parseInt(index, 10);
    for (var k = 0; k < wkWebview_Highlights.length; k++) {
        wkWebview_Highlights[k].style.backgroundColor = "#ffe14d";
    }
    if (isNaN(i) || i < 0 || i >= wkWebview_Highlights.length) {
        return false;
    }
    var mark = wkWebview_Highlights[i];
    mark.style.backgroundColor = "#ff9632";
    mark.scrollIntoView({block: "center", inline: "nearest"});
    return true;
}

function wkWebview_getLink(x, y) {
    var element = document.elementFromPoint(x, y);
    while (element) {
        if (element.tagName === "A" && element.href) {
            return element.href;
        }
        element = element.parentElement;
    }
    return "";
}
