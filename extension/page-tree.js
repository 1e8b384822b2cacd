// Injected into the captured page (isolated world); its last value is the page tree without its snapshot id.
// Nodes are listed parent before child. Boxes are in page coordinates (CSS pixels from the top left of the
// document), the coordinates of the full-page capture divided by its device scale factor. A node is reported
// visible only as painted: display:none, visibility:hidden, opacity 0, zero-size boxes, content clipped away
// (screen-reader-only text, overflow) and the closed part of <details> are not.
(() => {
  const startedAt = new Date().toISOString();
  // Tavlen refuses a tree of more than 100,000 fragments or 4 MiB of JSON: stay well inside both.
  const MAXIMUM_NODES = 20000;
  const MAXIMUM_FRAGMENTS = 90000;
  const MAXIMUM_BYTES = 3000000;
  const SKIPPED = new Set(["HEAD", "SCRIPT", "STYLE", "NOSCRIPT", "TEMPLATE", "META", "LINK", "TITLE"]);
  const nodes = [];
  const idOf = new Map(); // element -> id
  const reasons = [];
  let truncated = false;
  let fragmentCount = 0;
  let byteEstimate = 0;

  const pageX = window.scrollX;
  const pageY = window.scrollY;

  function rectOf(r) {
    return { x: r.left + pageX, y: r.top + pageY, width: r.width, height: r.height };
  }

  function intersect(a, b) {
    if (!a) return b;
    if (!b) return a;
    const x = Math.max(a.x, b.x);
    const y = Math.max(a.y, b.y);
    const right = Math.min(a.x + a.width, b.x + b.width);
    const bottom = Math.min(a.y + a.height, b.y + b.height);
    return { x, y, width: Math.max(0, right - x), height: Math.max(0, bottom - y) };
  }

  function union(rects) {
    let x = Infinity, y = Infinity, right = -Infinity, bottom = -Infinity;
    for (const r of rects) {
      x = Math.min(x, r.x);
      y = Math.min(y, r.y);
      right = Math.max(right, r.x + r.width);
      bottom = Math.max(bottom, r.y + r.height);
    }
    return { x, y, width: right - x, height: bottom - y };
  }

  // Too small to show anything: a zero-size box or one clipped to a pixel.
  function tooSmall(r) {
    return !r || r.width < 2 || r.height < 2;
  }

  // The clip an element imposes on its descendants (overflow other than visible, CSS clip, clip-path), or null.
  function clipOf(element, style, box) {
    let clip = null;
    const overflows = style.overflowX !== "visible" || style.overflowY !== "visible";
    if (overflows && style.display !== "contents") {
      clip = box;
    }
    if (style.clip && style.clip !== "auto" && (style.position === "absolute" || style.position === "fixed")) {
      const numbers = style.clip.match(/-?[\d.]+/g);
      if (numbers && numbers.length === 4) {
        const [top, right, bottom, left] = numbers.map(Number);
        clip = intersect(clip, { x: box.x + left, y: box.y + top, width: right - left, height: bottom - top });
      }
    }
    if (style.clipPath && style.clipPath !== "none") {
      const inset = style.clipPath.match(/^inset\(\s*(-?[\d.]+)(px|%)/);
      if (inset) {
        const amount = Number(inset[1]);
        const dx = inset[2] === "%" ? box.width * amount / 100 : amount;
        const dy = inset[2] === "%" ? box.height * amount / 100 : amount;
        clip = intersect(clip, { x: box.x + dx, y: box.y + dy, width: box.width - 2 * dx, height: box.height - 2 * dy });
      } else {
        clip = intersect(clip, box); // another shape: at most the box
      }
    }
    return clip;
  }

  const LANDMARKS = { NAV: "navigation", MAIN: "main", ASIDE: "complementary", FORM: "form", ARTICLE: "article",
    UL: "list", OL: "list", LI: "listitem", TABLE: "table", THEAD: "rowgroup", TBODY: "rowgroup", TFOOT: "rowgroup",
    TR: "row", TD: "cell", P: "paragraph", BUTTON: "button", SELECT: "combobox", TEXTAREA: "textbox",
    OPTION: "option", DIALOG: "dialog", DETAILS: "group", SUMMARY: "button", FIGURE: "figure", HR: "separator",
    PROGRESS: "progressbar", DL: "list", DT: "term", DD: "definition", CAPTION: "caption", LABEL: "generic",
    DIV: "generic", SPAN: "generic", BODY: "generic", IFRAME: "iframe", CANVAS: "canvas", SVG: "svg",
    VIDEO: "video", BLOCKQUOTE: "blockquote", CODE: "code", STRONG: "strong", EM: "emphasis" };
  const INPUT_ROLES = { checkbox: "checkbox", radio: "radio", button: "button", submit: "button", reset: "button",
    image: "button", range: "slider", number: "spinbutton", search: "searchbox", hidden: "none" };

  function roleOf(element) {
    const explicit = (element.getAttribute("role") || "").trim().split(/\s+/)[0];
    if (explicit) return short(explicit, 64);
    const tag = element.tagName.toUpperCase();
    if (/^H[1-6]$/.test(tag)) return "heading";
    if (tag === "A") return element.hasAttribute("href") ? "link" : "generic";
    if (tag === "IMG") return element.getAttribute("alt") === "" ? "presentation" : "img";
    if (tag === "INPUT") return INPUT_ROLES[(element.type || "text").toLowerCase()] || "textbox";
    if (tag === "TH") return element.getAttribute("scope") === "row" ? "rowheader" : "columnheader";
    if (tag === "SECTION") return element.hasAttribute("aria-label") || element.hasAttribute("aria-labelledby") ? "region" : "generic";
    if (tag === "HEADER") return element.closest("article, aside, main, nav, section") ? "generic" : "banner";
    if (tag === "FOOTER") return element.closest("article, aside, main, nav, section") ? "generic" : "contentinfo";
    if (tag === "SELECT") return element.multiple || element.size > 1 ? "listbox" : "combobox";
    return LANDMARKS[tag] || "generic";
  }

  function nameOf(element) {
    const label = element.getAttribute("aria-label");
    if (label && label.trim()) return { name: label.trim(), nameSource: "attribute" };
    const labelledBy = element.getAttribute("aria-labelledby");
    if (labelledBy) {
      const text = labelledBy.split(/\s+/).map((id) => document.getElementById(id))
        .filter(Boolean).map((e) => e.textContent.trim()).join(" ").trim();
      if (text) return { name: text, nameSource: "related" };
    }
    if (element.tagName === "IMG" && element.getAttribute("alt")) {
      return { name: element.getAttribute("alt"), nameSource: "attribute" };
    }
    if (element.labels && element.labels.length) {
      const text = [...element.labels].map((l) => l.textContent.trim()).join(" ").trim();
      if (text) return { name: text, nameSource: "related" };
    }
    const title = element.getAttribute("title");
    if (title && title.trim()) return { name: title.trim(), nameSource: "attribute" };
    return null;
  }

  function valueOf(element) {
    if (element.tagName === "TEXTAREA") return element.value;
    if (element.tagName === "SELECT") {
      return [...element.selectedOptions].map((o) => o.textContent.trim()).join(", ");
    }
    if (element.tagName === "INPUT" && !["checkbox", "radio", "button", "submit", "reset", "image", "hidden"]
      .includes((element.type || "text").toLowerCase())) {
      return (element.type || "").toLowerCase() === "password" ? "" : element.value;
    }
    return undefined;
  }

  function ariaBoolean(element, name) {
    const value = element.getAttribute(name);
    if (value === "true") return true;
    if (value === "false") return false;
    return undefined;
  }

  function statesOf(element, role) {
    const states = {};
    if (element.tagName === "INPUT" && (element.type === "checkbox" || element.type === "radio")) {
      states.checked = element.indeterminate ? "mixed" : String(element.checked);
    } else if (element.hasAttribute("aria-checked")) {
      states.checked = short(element.getAttribute("aria-checked"), 64);
    }
    if (element.hasAttribute("aria-pressed")) states.pressed = short(element.getAttribute("aria-pressed"), 64);
    if (element.tagName === "OPTION") states.selected = element.selected;
    else if (ariaBoolean(element, "aria-selected") !== undefined) states.selected = ariaBoolean(element, "aria-selected");
    if (element.tagName === "DETAILS") states.expanded = element.open;
    else if (element.tagName === "SUMMARY" && element.parentElement && element.parentElement.tagName === "DETAILS") {
      states.expanded = element.parentElement.open;
    } else if (ariaBoolean(element, "aria-expanded") !== undefined) states.expanded = ariaBoolean(element, "aria-expanded");
    if (element.disabled === true || ariaBoolean(element, "aria-disabled") === true) states.disabled = true;
    if (element.readOnly === true || ariaBoolean(element, "aria-readonly") === true) states.readonly = true;
    if (element.required === true || ariaBoolean(element, "aria-required") === true) states.required = true;
    return Object.keys(states).length ? states : undefined;
  }

  function structureOf(element, role) {
    const tag = element.tagName;
    if (role === "heading") {
      const declared = Number.parseInt(element.getAttribute("aria-level"), 10);
      const level = declared > 0 ? declared : (/^H[1-6]$/.test(tag) ? Number(tag[1]) : 2);
      return { level };
    }
    if ((tag === "TD" || tag === "TH") && element.parentElement && element.parentElement.tagName === "TR") {
      const row = element.parentElement;
      let column = 1;
      for (const cell of row.cells) {
        if (cell === element) break;
        column += cell.colSpan;
      }
      return { row: row.rowIndex + 1, column, rowSpan: element.rowSpan, columnSpan: element.colSpan };
    }
    return undefined;
  }

  // The cells that head a data cell: the column header of its column in the table's first row with headers,
  // and the row header at the start of its own row. Resolved to node ids after the walk.
  function headerElementsOf(element) {
    if (element.tagName !== "TD") return [];
    const table = element.closest("table");
    const row = element.parentElement;
    if (!table || !row) return [];
    const headers = [];
    const index = [...row.cells].indexOf(element);
    for (const candidate of table.rows) {
      const cell = candidate.cells[index];
      if (cell && cell.tagName === "TH" && cell.getAttribute("scope") !== "row") {
        headers.push(cell);
        break;
      }
    }
    const first = row.cells[0];
    if (first && first !== element && first.tagName === "TH") headers.push(first);
    return headers;
  }

  // One fragment per line of the text: its words measured one by one when the text wraps.
  function fragmentsOf(textNode, text) {
    const range = document.createRange();
    const first = text.search(/\S/);
    const last = text.length - text.slice(first).split("").reverse().join("").search(/\S/);
    range.setStart(textNode, first);
    range.setEnd(textNode, last);
    const whole = [...range.getClientRects()].filter((r) => r.width > 0 && r.height > 0);
    if (whole.length === 0) return [];
    if (whole.length === 1) {
      return [{ start: first, length: last - first, bounds: rectOf(whole[0]) }];
    }
    const fragments = [];
    let line = null;
    const words = /\S+/g;
    let match;
    while ((match = words.exec(text))) {
      range.setStart(textNode, match.index);
      range.setEnd(textNode, match.index + match[0].length);
      const rects = [...range.getClientRects()].filter((r) => r.width > 0 && r.height > 0).map(rectOf);
      if (rects.length === 0) continue;
      const box = union(rects);
      const end = match.index + match[0].length;
      if (line && Math.abs(box.y - line.bounds.y) < 1 && box.x >= line.bounds.x) {
        line.bounds = union([line.bounds, box]);
        line.length = end - line.start;
      } else {
        line = { start: match.index, length: end - match.index, bounds: box };
        fragments.push(line);
      }
    }
    return fragments;
  }

  // Texts the schema bounds are cut to fit.
  function short(text, length) {
    return text.length > length ? text.slice(0, length) : text;
  }

  function add(node) {
    const bytes = 400 + 2 * ((node.text || "").length + (node.name || "").length + (node.value || "").length) +
      120 * node.fragments.length;
    if (truncated || nodes.length >= MAXIMUM_NODES || fragmentCount + node.fragments.length > MAXIMUM_FRAGMENTS ||
      byteEstimate + bytes > MAXIMUM_BYTES) {
      truncated = true;
      return null;
    }
    fragmentCount += node.fragments.length;
    byteEstimate += bytes;
    node.id = `n${nodes.length}`;
    nodes.push(node);
    return node;
  }

  function visibilityOf(rendered, cssVisible, clip) {
    return { rendered, cssVisible, clip: clip || null, clipping: "known", occlusion: "unknown" };
  }

  function visitText(textNode, parent, cssVisible, clip) {
    const text = textNode.data;
    if (!/\S/.test(text)) return;
    const fragments = fragmentsOf(textNode, text);
    const bounds = fragments.length ? union(fragments.map((f) => f.bounds)) : null;
    const rendered = !!bounds && !tooSmall(clip ? intersect(bounds, clip) : bounds);
    const node = add({
      children: [], kind: "text", frameId: "main", bounds, fragments: rendered ? fragments : [],
      visibility: visibilityOf(rendered, cssVisible, clip), source: "dom", text,
    });
    if (node) parent.children.push(node.id);
  }

  const headerLinks = [];

  // checkVisibility: false for display:none and for content that is not rendered (the closed part of <details>,
  // content-visibility); with the options also for visibility:hidden and opacity 0 on the element or above.
  function visitElement(element, parent, inheritedClip) {
    if (SKIPPED.has(element.tagName.toUpperCase())) return;
    const style = getComputedStyle(element);
    const box = element.getClientRects().length ? rectOf(element.getBoundingClientRect()) : null;
    const painted = element.checkVisibility();
    const cssVisible = element.checkVisibility({ opacityProperty: true, visibilityProperty: true });
    const rendered = painted && !!box && !tooSmall(inheritedClip ? intersect(box, inheritedClip) : box);
    const role = roleOf(element);
    const node = add({
      children: [], kind: "element", frameId: "main", bounds: box, fragments: [],
      visibility: visibilityOf(rendered, cssVisible, inheritedClip), source: "dom", role,
    });
    if (!node) return;
    if (parent) parent.children.push(node.id);
    idOf.set(element, node.id);
    const named = nameOf(element);
    if (named) {
      node.name = named.name;
      node.nameSource = named.nameSource;
    }
    const description = element.getAttribute("aria-description");
    if (description) node.description = description;
    const value = valueOf(element);
    if (value !== undefined) node.value = value;
    const states = statesOf(element, role);
    if (states) node.states = states;
    const structure = structureOf(element, role);
    if (structure) node.structure = structure;
    const headers = headerElementsOf(element);
    if (headers.length) headerLinks.push({ node, headers });
    if (!painted) return; // nothing below a box that is not painted is painted
    // A zero-size box without a clip of its own does not hide what overflows it: its children are measured.
    const childClip = box ? intersect(inheritedClip, clipOf(element, style, box)) : inheritedClip;
    // Text directly inside a closed <details> is not painted, though a range over it still has boxes.
    const closedDetails = element.tagName === "DETAILS" && !element.open;
    for (const child of element.childNodes) {
      if (child.nodeType === Node.ELEMENT_NODE) {
        visitElement(child, node, childClip);
      } else if (child.nodeType === Node.TEXT_NODE && !closedDetails) {
        visitText(child, node, cssVisible, childClip);
      }
    }
  }

  const documentNode = add({
    children: [], kind: "document", frameId: "main",
    bounds: { x: 0, y: 0, width: document.documentElement.scrollWidth, height: document.documentElement.scrollHeight },
    fragments: [], visibility: visibilityOf(true, true, null), source: "dom", role: "document",
  });
  if (document.title) {
    documentNode.name = document.title;
    documentNode.nameSource = "title";
  }
  if (document.body) visitElement(document.body, documentNode, null);

  for (const { node, headers } of headerLinks) {
    const ids = headers.map((h) => idOf.get(h)).filter(Boolean);
    if (ids.length) node.structure = { ...(node.structure || {}), headers: ids };
  }
  if (truncated) reasons.push(`The page has more than ${MAXIMUM_NODES} nodes; the rest were left out.`);
  return {
    snapshotId: "",
    startedAt,
    finishedAt: new Date().toISOString(),
    status: truncated ? "partial" : "complete",
    reasons,
    nodes,
  };
})();
