// Hopwise bridge: tells the native host which page every tab shows, and opens pages or brings
// windows to the front when the host asks. The host relays between this extension and Hopwise.
//
// Runs as the Chromium service worker and as the Firefox background script. Every listener is
// registered at the top level, so an event that wakes the worker finds it listening.
'use strict';

const api = globalThis.browser ?? globalThis.chrome;

const HOST_NAME = 'hopwise.browser_bridge';
const RETRY_FIRST_MS = 1000;
const RETRY_LAST_MS = 60000;
const STEADY_MS = 10000;           // a port that lived this long resets the back-off
const QUEUE_LIMIT = 1000;          // events kept while the host is away; the oldest go first
const URL_LIMIT = 16 * 1024;       // longer addresses (data: URLs) are reported as empty
const TITLE_LIMIT = 2 * 1024;
const SNAPSHOT_LIMIT = 12 * 1024 * 1024;  // the host drops frames above 16 MiB

let port = null;
let synced = false;  // the snapshot went out on this port; events may go straight to it
let queue = [];
let retryMs = RETRY_FIRST_MS;
let retryTimer = null;
let connectedAt = 0;

// Kept for the browser session, so that a new host process takes up where the last one ended:
// tab id -> the page the host echoed for it (not to be echoed again), and the programs the host
// echoed to (a list of {name, id}, handed back in every snapshot).
const echoed = new Map();
let servers = [];
const sessionStore = api.storage?.session;
const restored = (async () => {
  try {
    const saved = await sessionStore?.get(['echoed', 'servers']);
    for (const [tabId, url] of saved?.echoed ?? []) echoed.set(tabId, url);
    if (Array.isArray(saved?.servers)) servers = saved.servers;
  } catch (e) {
    // Without session storage a restarted worker may echo a page twice; nothing worse.
  }
})();

function saveEchoed() {
  sessionStore?.set({ echoed: [...echoed] }).catch(() => {});
}

function clip(text, limit) {
  return typeof text === 'string' && text.length <= limit ? text : '';
}

// The first characters of a title, never half of a surrogate pair (the host drops a message
// whose JSON holds one).
function clipTitle(title) {
  if (typeof title !== 'string') return '';
  const cut = title.slice(0, TITLE_LIMIT);
  return /[\uD800-\uDBFF]$/.test(cut) ? cut.slice(0, -1) : cut;
}

// A page is its address without the fragment: a jump within the document is no new page.
function samePage(a, b) {
  return typeof a === 'string' && typeof b === 'string' && a.split('#')[0] === b.split('#')[0];
}

function tabState(tab) {
  const url = clip(tab.url ?? '', URL_LIMIT);
  const title = clipTitle(tab.title);
  return {
    tabId: tab.id,
    windowId: tab.windowId,
    url,
    title,
    status: tab.status ?? '',
    active: !!tab.active,
  };
}

function usableTab(tab) {
  return tab && Number.isInteger(tab.id) && tab.id >= 0 && Number.isInteger(tab.windowId) && tab.windowId >= 0;
}

// Marks a page the host already echoed; decided when the message leaves, since acks arrive late.
function withEchoed(message) {
  if (message.type === 'tab' && samePage(echoed.get(message.tabId), message.url)) {
    return { ...message, echoed: true };
  }
  return message;
}

function post(message) {
  try {
    port.postMessage(withEchoed(message));
    return true;
  } catch (e) {
    return false;
  }
}

function send(message) {
  if (port && synced && post(message)) return;
  queue.push(message);
  if (queue.length > QUEUE_LIMIT) queue.splice(0, queue.length - QUEUE_LIMIT);
}

function reportTab(tab, overrides = {}) {
  if (!usableTab(tab)) return;
  send({ type: 'tab', ...tabState(tab), ...overrides });
}

async function reportTabById(tabId, overrides = {}) {
  try {
    reportTab(await api.tabs.get(tabId), overrides);
  } catch (e) {
    // The tab closed in between; its removal is reported on its own.
  }
}

// Leaves out the longest addresses until the snapshot fits in one frame.
function fitSnapshot(snapshot) {
  let size = JSON.stringify(snapshot).length;
  const byLength = [...snapshot.tabs].sort((a, b) => b.url.length - a.url.length);
  for (const tab of byLength) {
    if (size <= SNAPSHOT_LIMIT) break;
    size -= tab.url.length + tab.title.length;
    tab.url = '';
    tab.title = '';
  }
  return snapshot;
}

async function sendSnapshot(forPort) {
  await restored;
  let tabs = [];
  let focusedWindowId;
  try {
    tabs = await api.tabs.query({});
    const focused = await api.windows.getLastFocused();
    if (focused && focused.id >= 0) focusedWindowId = focused.id;
  } catch (e) {
    // An empty snapshot still lets the host serve what later events bring.
  }
  if (port !== forPort) return;
  // Events queued so far happened before the snapshot was taken: they go first, in order, so
  // pages shown while the host was away are reported too; the snapshot then gives the present.
  while (queue.length > 0) {
    if (!post(queue[0])) return;  // the port died: keep the rest for the next one
    queue.shift();
  }
  const snapshot = fitSnapshot({
    type: 'snapshot',
    focusedWindowId,
    servers,
    tabs: tabs.filter(usableTab).map((tab) => {
      const state = tabState(tab);
      return samePage(echoed.get(tab.id), state.url) ? { ...state, echoed: true } : state;
    }),
  });
  if (post(snapshot)) synced = true;
}

function scheduleReconnect() {
  if (retryTimer !== null) return;
  retryTimer = setTimeout(() => {
    retryTimer = null;
    connect();
  }, retryMs);
  retryMs = Math.min(retryMs * 2, RETRY_LAST_MS);
}

function connect() {
  if (port) return;
  let newPort;
  try {
    newPort = api.runtime.connectNative(HOST_NAME);
  } catch (e) {
    scheduleReconnect();
    return;
  }
  port = newPort;
  synced = false;
  connectedAt = Date.now();
  newPort.onMessage.addListener((message) => onHostMessage(newPort, message));
  newPort.onDisconnect.addListener(() => {
    // Reading lastError marks it as handled (Chromium logs an unchecked one).
    void (api.runtime.lastError ?? newPort.error);
    if (port !== newPort) return;
    port = null;
    synced = false;
    if (Date.now() - connectedAt >= STEADY_MS) retryMs = RETRY_FIRST_MS;
    scheduleReconnect();
  });
  sendSnapshot(newPort);
}

function reply(toPort, id, result) {
  try {
    toPort.postMessage({ type: 'reply', id, ...result });
  } catch (e) {
    // The host is gone; it gave up on the answer already.
  }
}

async function lastFocusedWindow() {
  try {
    const win = await api.windows.getLastFocused({ windowTypes: ['normal'] });
    return win && win.id >= 0 ? win : null;
  } catch (e) {
    return null;
  }
}

async function openUrl(message) {
  if (Number.isInteger(message.tabId)) {
    const tab = await api.tabs.update(message.tabId, { url: message.url, active: true });
    return { tabId: tab.id, windowId: tab.windowId };
  }
  const win = await lastFocusedWindow();
  if (!win) {
    const created = await api.windows.create({ url: message.url, focused: true });
    const tab = created.tabs?.[0];
    return { tabId: tab?.id, windowId: created.id };
  }
  const tab = await api.tabs.create({ url: message.url, active: true, windowId: win.id });
  return { tabId: tab.id, windowId: tab.windowId };
}

async function activate(message) {
  let tab;
  if (Number.isInteger(message.tabId)) {
    tab = await api.tabs.update(message.tabId, { active: true });
  } else {
    const win = await lastFocusedWindow();
    if (!win) throw new Error('No browser window');
    [tab] = await api.tabs.query({ active: true, windowId: win.id });
    if (!tab) throw new Error('No tab');
  }
  // Desktops may refuse to hand the focus over; the answer stands all the same.
  await api.windows.update(tab.windowId, { focused: true }).catch(() => {});
  return { tabId: tab.id, windowId: tab.windowId };
}

async function onHostMessage(fromPort, message) {
  if (!message || typeof message !== 'object') return;
  switch (message.type) {
    case 'echoed':
      if (Number.isInteger(message.tabId) && typeof message.url === 'string') {
        echoed.set(message.tabId, message.url);
        saveEchoed();
      }
      return;
    case 'resync':
      // Another bridge has to learn every tab.
      if (fromPort === port && synced) sendSnapshot(fromPort);
      return;
    case 'servers':
      if (Array.isArray(message.servers)) {
        servers = message.servers;
        sessionStore?.set({ servers }).catch(() => {});
      }
      return;
    case 'open':
    case 'activate':
      try {
        const ids = message.type === 'open' ? await openUrl(message) : await activate(message);
        if (!Number.isInteger(ids.tabId)) throw new Error('No tab');
        reply(fromPort, message.id, { ok: true, ...ids });
      } catch (e) {
        reply(fromPort, message.id, { ok: false, error: String(e?.message ?? e) });
      }
      return;
    default:
      return;
  }
}

api.tabs.onCreated.addListener((tab) => reportTab(tab));
api.tabs.onUpdated.addListener((tabId, change, tab) => {
  if ('url' in change || 'title' in change || 'status' in change) reportTab(tab);
});
api.tabs.onRemoved.addListener((tabId) => {
  send({ type: 'removed', tabId });
  if (echoed.delete(tabId)) saveEchoed();
});
api.tabs.onActivated.addListener(({ tabId, windowId }) => send({ type: 'activated', tabId, windowId }));
api.tabs.onAttached.addListener((tabId) => reportTabById(tabId));
api.tabs.onReplaced?.addListener((addedTabId, removedTabId) => {
  send({ type: 'removed', tabId: removedTabId });
  reportTabById(addedTabId);
});
api.windows.onFocusChanged.addListener((windowId) => {
  if (windowId >= 0) send({ type: 'focused', windowId });
});
// The load's end may come before the tab's own status says so.
api.webNavigation.onCompleted.addListener((details) => {
  if (details.frameId !== 0) return;
  api.tabs.get(details.tabId).then((tab) => {
    reportTab(tab, tab.url === details.url ? { status: 'complete' } : {});
  }, () => {});
});

connect();
