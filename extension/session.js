// One browser session: a temporary tab in a window of its own, driven through chrome.debugger at the requested viewport and
// device scale factor, captured whole with captureBeyondViewport, with the page tree built in the page.

export const OPERATIONS = 20;           // "operations" of Tavlen's config.json: captures per session
const SESSION_MS = 300000;              // "sessionMs" of Tavlen's config.json: a session unused this long ends
const DEFAULT_VIEWPORT = { width: 1280, height: 800, deviceScaleFactor: 1, mobile: false };
// A full-page capture taken right after the load event repeats the first viewport like tiles; about 150 ms after
// the first paint it is right. Three times that, for slow machines.
const SETTLE_MS = 450;
// How long lazy images switched to eager loading may take before the capture goes on without them.
const LAZY_IMAGES_MS = 5000;

export class SessionError extends Error {
  constructor(code, message) {
    super(message);
    this.code = code;
  }
}

const DEBUGGER_VERSION = "1.3";
const eventWaiters = new Map(); // tabId -> Set of { method, resolve, reject }

chrome.debugger.onEvent.addListener((source, method) => {
  const waiters = eventWaiters.get(source.tabId);
  if (!waiters) {
    return;
  }
  for (const waiter of [...waiters]) {
    if (waiter.method === method) {
      waiters.delete(waiter);
      waiter.resolve();
    }
  }
});

function failWaiters(tabId, error) {
  const waiters = eventWaiters.get(tabId);
  eventWaiters.delete(tabId);
  for (const waiter of waiters || []) {
    waiter.reject(error);
  }
}

function waitForEvent(tabId, method) {
  return new Promise((resolve, reject) => {
    if (!eventWaiters.has(tabId)) {
      eventWaiters.set(tabId, new Set());
    }
    eventWaiters.get(tabId).add({ method, resolve, reject });
  });
}

const sessions = new Map(); // tabId -> BrowserSession

chrome.tabs.onRemoved.addListener((tabId) => {
  const session = sessions.get(tabId);
  failWaiters(tabId, new SessionError("stopped", "The page was closed in Chrome."));
  if (session && !session.closing) {
    session.ended("stopped", "The page was closed in Chrome.");
  }
});

chrome.debugger.onDetach.addListener((source, reason) => {
  const session = sessions.get(source.tabId);
  failWaiters(source.tabId, new SessionError("stopped", `Chrome stopped the page's debugger (${reason}).`));
  if (session && !session.closing) {
    session.ended("stopped", `Chrome stopped the page's debugger (${reason}).`);
    session.close().catch(() => {});
  }
});

function log(...parts) {
  console.log("[tavlen-test-extension]", ...parts);
}

function delay(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

// Width and height of a PNG from the first bytes of its base64 text (the IHDR chunk).
function pngSize(base64) {
  const bytes = atob(base64.slice(0, 44));
  const word = (at) => ((bytes.charCodeAt(at) << 24) | (bytes.charCodeAt(at + 1) << 16) |
    (bytes.charCodeAt(at + 2) << 8) | bytes.charCodeAt(at + 3)) >>> 0;
  return { width: word(16), height: word(20) };
}

// Switches lazy images to eager loading and waits (bounded) until every image has loaded or failed: a lazy
// image below the fold would otherwise stay empty in a full-page capture.
const LOAD_LAZY_IMAGES = `new Promise((resolve) => {
  const images = [...document.images];
  for (const image of images) { if (image.loading === "lazy") image.loading = "eager"; }
  const pending = images.filter((image) => !image.complete);
  if (pending.length === 0) { resolve(0); return; }
  let left = pending.length;
  const done = () => { if (--left === 0) resolve(pending.length); };
  for (const image of pending) {
    image.addEventListener("load", done, { once: true });
    image.addEventListener("error", done, { once: true });
  }
  setTimeout(() => resolve(-left), ${LAZY_IMAGES_MS});
})`;

export class BrowserSession {
  constructor(executionId, viewport, onEnded) {
    this.id = `session-${crypto.randomUUID()}`;
    this.executionId = executionId;
    this.viewport = viewport || DEFAULT_VIEWPORT;
    this.state = "active";
    this.busy = true;
    this.operationsRemaining = OPERATIONS;
    this.expiresAt = null;
    this.windowId = null;
    this.tabId = null;
    this.closing = false;
    this.onEnded = onEnded;
    this.expiryTimer = null;
  }

  get target() {
    return { tabId: this.tabId };
  }

  command(method, params) {
    return chrome.debugger.sendCommand(this.target, method, params || {});
  }

  touch() {
    this.expiresAt = Date.now() + SESSION_MS;
    clearTimeout(this.expiryTimer);
    this.expiryTimer = setTimeout(() => {
      if (!this.closing) {
        this.ended("stopped", "The browser session expired.");
        this.close().catch(() => {});
      }
    }, SESSION_MS);
  }

  ended(code, message) {
    clearTimeout(this.expiryTimer);
    this.onEnded(this, code, message);
  }

  // Opens the page in a new window at the viewport and waits for its load event.
  async open(url) {
    const { width, height, deviceScaleFactor, mobile } = this.viewport;
    // A mobile viewport is asked for in device pixels; the page sees it in CSS pixels.
    const cssWidth = mobile ? Math.max(1, Math.round(width / deviceScaleFactor)) : width;
    const cssHeight = mobile ? Math.max(1, Math.round(height / deviceScaleFactor)) : height;
    // A window of its own, not focused: its tab is visible, so Chrome paints it (a background tab may never
    // produce the frame a screenshot waits for), and the user's own tabs stay as they are.
    const window = await chrome.windows.create({ url: "about:blank", focused: false, type: "normal" });
    this.windowId = window.id;
    const tab = window.tabs[0];
    this.tabId = tab.id;
    sessions.set(tab.id, this);
    this.touch();
    await chrome.debugger.attach(this.target, DEBUGGER_VERSION);
    await this.command("Page.enable");
    await this.command("Emulation.setDeviceMetricsOverride",
      { width: cssWidth, height: cssHeight, deviceScaleFactor, mobile });
    await this.command("Emulation.setScrollbarsHidden", { hidden: true });
    const loaded = waitForEvent(this.tabId, "Page.loadEventFired");
    loaded.catch(() => {});
    const navigation = await this.command("Page.navigate", { url });
    if (navigation.errorText) {
      throw new SessionError("navigation_failed", `Chrome could not open the page (${navigation.errorText}).`);
    }
    await loaded;
    this.busy = false;
  }

  async capture() {
    if (this.operationsRemaining <= 0) {
      throw new SessionError("operation_limit", "This browser session has no captures left. Start a new session.");
    }
    this.busy = true;
    const started = Date.now();
    try {
      this.touch();
      this.operationsRemaining -= 1;
      await this.command("Runtime.evaluate", { expression: LOAD_LAZY_IMAGES, awaitPromise: true });
      await this.command("Runtime.evaluate", { expression: "document.fonts.ready.then(() => true)", awaitPromise: true });
      const settled = await this.settle();
      const settledAt = Date.now();
      const metrics = await this.command("Page.getLayoutMetrics");
      const content = metrics.cssContentSize;
      const width = Math.ceil(content.width);
      const height = Math.ceil(content.height);
      const shot = await this.command("Page.captureScreenshot", {
        format: "png", captureBeyondViewport: true, fromSurface: true,
        clip: { x: 0, y: 0, width, height, scale: 1 },
      });
      const capturedAt = new Date().toISOString();
      const shotAt = Date.now();
      const [injection] = await chrome.scripting.executeScript({ target: { tabId: this.tabId }, files: ["page-tree.js"] });
      const after = await this.command("Page.getLayoutMetrics");
      if (Math.ceil(after.cssContentSize.width) !== width || Math.ceil(after.cssContentSize.height) !== height) {
        throw new SessionError("stale_snapshot", "The page changed while it was captured.");
      }
      const tab = await chrome.tabs.get(this.tabId);
      if (!/^https?:/i.test(tab.url || "")) {
        throw new SessionError("unsupported_page", "Only http and https pages can be captured.");
      }
      const viewport = metrics.cssVisualViewport;
      const image = pngSize(shot.data);
      const snapshotId = crypto.randomUUID();
      const tree = injection.result;
      tree.snapshotId = snapshotId;
      log(`capture: ${Date.now() - started} ms in all: settle ${settled} ms, screenshot ${shotAt - settledAt} ms, ` +
        `page tree ${Date.now() - shotAt} ms (${tree.nodes.length} nodes), image ${image.width}x${image.height}, ` +
        `${shot.data.length} base64 characters`);
      return {
        url: tab.url,
        geometry: {
          width: viewport.clientWidth,
          height: viewport.clientHeight,
          pageX: viewport.pageX,
          pageY: viewport.pageY,
          offsetX: viewport.offsetX,
          offsetY: viewport.offsetY,
          // A mobile viewport's pixel scale is the device's.
          scale: this.viewport.mobile ? viewport.scale * this.viewport.deviceScaleFactor : viewport.scale,
          zoom: viewport.zoom ?? 1,
        },
        contentRect: { x: 0, y: 0, width, height },
        imageWidth: image.width,
        imageHeight: image.height,
        imageBase64: shot.data,
        snapshotId,
        capturedAt,
        pageTree: tree,
      };
    } finally {
      this.busy = false;
    }
  }

  // Waits until SETTLE_MS after the page's first paint. A hidden page records no paint timing: there the wait
  // counts from now, after the load event and the fonts. Returns how long it waited.
  async settle() {
    const started = Date.now();
    const deadline = started + LAZY_IMAGES_MS;
    for (;;) {
      const { result } = await this.command("Runtime.evaluate", {
        expression: "[document.visibilityState, performance.now(), " +
          "...performance.getEntriesByType('paint').map((e) => e.startTime)]",
        returnByValue: true,
      });
      const [visibility, now, ...paints] = result.value;
      if (visibility === "hidden" || paints.length > 0 || Date.now() >= deadline) {
        const from = paints.length > 0 ? Math.min(...paints) : now;
        await delay(Math.max(0, from + SETTLE_MS - now));
        return Date.now() - started;
      }
      await delay(25);
    }
  }

  // Detaches the debugger and closes the window; one that is already gone counts as closed.
  async close() {
    this.closing = true;
    clearTimeout(this.expiryTimer);
    if (this.tabId === null) {
      return;
    }
    const tabId = this.tabId;
    failWaiters(tabId, new SessionError("stopped", "The browser session was stopped."));
    try {
      await chrome.debugger.detach({ tabId });
    } catch (error) {
      // not attached, or the tab is gone
    }
    try {
      await chrome.windows.remove(this.windowId);
    } catch (error) {
      if (!/No (window|tab) with id/i.test(String(error && error.message))) {
        throw error;
      }
    }
    sessions.delete(tabId);
  }
}
