// The extension's side of Tavlen's browser bridge: one native-messaging connection to TavlenBrowserHost,
// hello, pongs, the three commands and cancel, and status messages when a session ends on its own.
import { BrowserSession, SessionError, OPERATIONS } from "./session.js";

const HOST_NAME = "org.tavlen.browser_host"; // "hostName" of Tavlen's config.json
const PROTOCOL_VERSION = 1;                   // "protocolVersion" of Tavlen's config.json
const VERSION = chrome.runtime.getManifest().version;
// Tavlen drops a connection silent for 30 s; it pings every 10 s, and this covers the rest.
const KEEPALIVE_MS = 20000;
const RECONNECT_DELAYS_MS = [250, 1000, 2000, 5000];
// Tavlen's own limit for a response is 32 MiB; a snapshot larger than this is refused here, not sent.
const MAXIMUM_SNAPSHOT_CHARACTERS = 30 * 1024 * 1024;

let connection = null; // { port, connectionId }
let reconnectAttempt = 0;
let reconnectTimer = null;
let lastSent = 0;
let session = null;   // the one browser session, a BrowserSession
let lastError = null; // a BrowserToolError reported with the status; cleared when a session starts

function log(...parts) {
  console.log("[tavlen-test-extension]", ...parts);
}

function currentStatus() {
  return {
    state: session ? session.state : "idle",
    sessionId: session ? session.id : null,
    busy: session ? session.busy : false,
    operationsRemaining: session ? session.operationsRemaining : OPERATIONS,
    expiresAt: session ? session.expiresAt : null,
    lastError,
  };
}

function toolError(error) {
  if (error instanceof SessionError) {
    return { code: error.code, message: error.message };
  }
  return { code: "extension_error", message: String(error && error.message ? error.message : error) };
}

function post(target, message) {
  if (!target || target !== connection) {
    return false; // the connection this belongs to has ended
  }
  try {
    target.port.postMessage(message);
    lastSent = Date.now();
    return true;
  } catch (error) {
    log("sending failed:", String(error));
    return false;
  }
}

function envelope(target, type, fields) {
  return { v: PROTOCOL_VERSION, type, connectionId: target.connectionId, ...fields };
}

function respond(target, executionId, response) {
  post(target, envelope(target, "response", { executionId: executionId ?? null, response }));
}

function sendStatus(target, executionId) {
  post(target, envelope(target, "status", { executionId: executionId ?? null, status: currentStatus() }));
}

// A session that ended without Tavlen asking: its tab closed, its debugger detached or it expired.
function sessionEnded(ended, code, message) {
  if (session !== ended) {
    return;
  }
  session = null;
  lastError = { code, message };
  log("session ended:", message);
  if (connection && connection.connectionId) {
    sendStatus(connection, ended.executionId);
  }
}

async function closeSession(closing) {
  if (!closing) {
    return;
  }
  try {
    await closing.close();
    if (session === closing) {
      session = null;
      lastError = null;
    }
  } catch (error) {
    if (session === closing) {
      closing.state = "cleanup_failed";
      lastError = { code: "cleanup_failed", message: `The temporary tab could not be closed: ${toolError(error).message}` };
    }
    throw error;
  }
}

async function startSession(executionId, url, viewport) {
  if (session) {
    throw new SessionError("busy", "Another browser session is active in this Chrome profile.");
  }
  const starting = new BrowserSession(executionId, viewport, (ended, code, message) => sessionEnded(ended, code, message));
  session = starting;
  lastError = null;
  try {
    await starting.open(url);
  } catch (error) {
    await closeSession(starting).catch(() => {});
    if (session === starting) {
      session = null;
    }
    throw error;
  }
}

async function capture(sessionId) {
  if (!session || session.id !== sessionId) {
    throw new SessionError("no_session", "The browser session has ended. Start a new session.");
  }
  const snapshot = await session.capture();
  if (snapshot.imageBase64.length > MAXIMUM_SNAPSHOT_CHARACTERS) {
    throw new SessionError("snapshot_too_large",
      "The captured page is too large to send. Capture a shorter page or use a smaller device scale factor.");
  }
  return snapshot;
}

async function handleRequest(target, message) {
  const request = message.request || {};
  const executionId = message.executionId ?? null;
  log(`request ${request.command}`);
  let outcome;
  try {
    switch (request.command) {
      case "status":
        outcome = { ok: true };
        break;
      case "start":
        await startSession(executionId, request.url, request.viewport);
        outcome = { ok: true };
        break;
      case "capturePage":
        outcome = { ok: true, snapshot: await capture(request.sessionId) };
        break;
      default:
        throw new SessionError("unsupported_command", `Unknown command ${String(request.command)}.`);
    }
  } catch (error) {
    log(`${request.command} failed:`, toolError(error).message);
    outcome = { ok: false, error: toolError(error) };
  }
  const response = { requestId: request.requestId, status: currentStatus(), ok: outcome.ok };
  if (outcome.snapshot) {
    response.snapshot = outcome.snapshot;
  }
  if (outcome.error) {
    response.error = outcome.error;
  }
  respond(target, executionId, response);
  log(`answered ${request.command}: ${outcome.ok ? "ok" : outcome.error.code}`);
}

async function handleCancel(target, message) {
  const response = { requestId: message.requestId, status: null, ok: true };
  if (session && session.executionId === message.executionId) {
    try {
      await closeSession(session);
    } catch (error) {
      response.ok = false;
      response.error = lastError;
    }
  }
  response.status = currentStatus();
  if (!response.error) {
    delete response.error;
  }
  respond(target, message.executionId, response);
}

function handleMessage(target, message) {
  switch (message.type) {
    case "welcome":
      target.connectionId = message.connectionId;
      log("welcomed, selected:", message.selected);
      break;
    case "selection":
      log("selected:", message.selected);
      break;
    case "ping":
      post(target, envelope(target, "pong", {}));
      break;
    case "request":
      handleRequest(target, message);
      break;
    case "cancel":
      handleCancel(target, message);
      break;
    case "unavailable":
      log("Tavlen is unavailable:", message.code, message.message);
      break;
    default:
      log("ignored a message of type", message.type);
  }
}

// Made once per service worker: concurrent connects must not make two identities.
let identity = null;
function profileIdentity() {
  if (!identity) {
    identity = loadIdentity();
  }
  return identity;
}

async function loadIdentity() {
  const stored = await chrome.storage.local.get("profileId");
  let profileId = stored.profileId;
  if (!profileId) {
    profileId = crypto.randomUUID();
    await chrome.storage.local.set({ profileId });
  }
  return { profileId, profileName: "Chromium" };
}

function scheduleReconnect() {
  if (reconnectTimer !== null) {
    return;
  }
  const delay = RECONNECT_DELAYS_MS[Math.min(reconnectAttempt, RECONNECT_DELAYS_MS.length - 1)];
  reconnectAttempt += 1;
  reconnectTimer = setTimeout(() => {
    reconnectTimer = null;
    connect();
  }, delay);
}

async function connect() {
  if (connection) {
    return;
  }
  const who = await profileIdentity();
  if (connection) {
    return;
  }
  let port;
  try {
    port = chrome.runtime.connectNative(HOST_NAME);
  } catch (error) {
    log("connectNative failed:", String(error));
    scheduleReconnect();
    return;
  }
  const target = { port, connectionId: null };
  connection = target;
  port.onMessage.addListener((message) => {
    reconnectAttempt = 0;
    handleMessage(target, message);
  });
  port.onDisconnect.addListener(() => {
    const reason = chrome.runtime.lastError ? chrome.runtime.lastError.message : "closed";
    log("disconnected:", reason);
    if (connection === target) {
      connection = null;
    }
    // Without Tavlen nobody owns the session: close its tab.
    const orphan = session;
    closeSession(orphan).catch(() => {});
    scheduleReconnect();
  });
  post(target, { v: PROTOCOL_VERSION, type: "hello", ...who, version: VERSION });
  log("connected as", who.profileId);
}

setInterval(() => {
  if (connection && connection.connectionId && Date.now() - lastSent >= KEEPALIVE_MS) {
    sendStatus(connection, session ? session.executionId : null);
  }
}, 5000);

// Wakes a service worker that Chrome stopped while it waited to reconnect.
chrome.alarms.create("reconnect", { periodInMinutes: 0.5 });
chrome.alarms.onAlarm.addListener(() => connect());
chrome.runtime.onStartup.addListener(() => connect());
chrome.runtime.onInstalled.addListener(() => connect());
connect();
