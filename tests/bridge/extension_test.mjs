// The extension's service worker against a scripted browser API: connecting and reconnecting,
// the queue and the snapshot, the echoed marks, and the host's requests.
// Run: node --test tests/bridge/extension_test.mjs
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import vm from 'node:vm';

const source = readFileSync(
  fileURLToPath(new URL('../../bridge/extension/background.js', import.meta.url)), 'utf8');

function event() {
  const listeners = [];
  return {
    listeners,
    addListener: (f) => listeners.push(f),
    fire: (...args) => listeners.forEach((f) => f(...args)),
  };
}

// A browser with tabs and windows, a native port the test drives, and timers it runs by hand.
function makeBrowser({ tabs = [], focused = 1, session = {} } = {}) {
  const b = {
    tabs: tabs.map((t) => ({ status: 'complete', active: false, ...t })),
    focused,
    session,
    ports: [],
    timers: [],
    calls: [],
    failCreate: null,
  };
  // Objects made inside the worker's context have its own prototypes: record plain copies.
  const record = (...call) => b.calls.push(JSON.parse(JSON.stringify(call)));
  const port = () => {
    const p = { name: null, sent: [], onMessage: event(), onDisconnect: event(), open: true };
    p.postMessage = (m) => {
      if (!p.open) throw new Error('Attempting to use a disconnected port object');
      p.sent.push(JSON.parse(JSON.stringify(m)));
    };
    return p;
  };
  const tabById = (id) => b.tabs.find((t) => t.id === id);
  b.api = {
    runtime: {
      lastError: undefined,
      connectNative: (name) => {
        const p = port();
        p.name = name;
        b.ports.push(p);
        return p;
      },
    },
    storage: {
      session: {
        get: async (keys) => Object.fromEntries([keys].flat().filter((k) => k in b.session).map((k) => [k, b.session[k]])),
        set: async (items) => Object.assign(b.session, JSON.parse(JSON.stringify(items))),
      },
    },
    tabs: {
      query: async (q) => b.tabs.filter((t) =>
        (q.active === undefined || t.active === q.active) && (q.windowId === undefined || t.windowId === q.windowId)),
      get: async (id) => {
        const t = tabById(id);
        if (!t) throw new Error(`No tab with id: ${id}.`);
        return { ...t };
      },
      create: async (props) => {
        record('tabs.create', props);
        if (b.failCreate) throw new Error(b.failCreate);
        const t = { id: 900 + b.tabs.length, windowId: props.windowId, url: '', title: '', status: 'loading' };
        b.tabs.push(t);
        return { ...t };
      },
      update: async (id, props) => {
        record('tabs.update', id, props);
        const t = tabById(id);
        if (!t) throw new Error(`No tab with id: ${id}.`);
        return { ...t };
      },
      onCreated: event(), onUpdated: event(), onRemoved: event(), onActivated: event(),
      onAttached: event(), onReplaced: event(),
    },
    windows: {
      getLastFocused: async () => (b.focused === null ? null : { id: b.focused }),
      update: async (id, props) => {
        record('windows.update', id, props);
        return { id };
      },
      create: async (props) => {
        record('windows.create', props);
        return { id: 5, tabs: [{ id: 950, windowId: 5 }] };
      },
      onFocusChanged: event(),
    },
    webNavigation: { onCompleted: event() },
  };
  b.start = () => {
    let now = 0;
    const context = vm.createContext({
      chrome: b.api,
      console,
      Date: { now: () => now },
      setTimeout: (f, ms) => {
        b.timers.push({ f, at: now + ms });
        return b.timers.length;
      },
    });
    b.advance = async (ms) => {
      now += ms;
      const due = b.timers.filter((t) => t.at <= now);
      b.timers = b.timers.filter((t) => t.at > now);
      due.forEach((t) => t.f());
      await settle();
    };
    vm.runInContext(source, context);
    return settle();
  };
  b.port = () => b.ports[b.ports.length - 1];
  b.disconnect = async () => {
    const p = b.port();
    p.open = false;
    p.onDisconnect.fire(p);
    await settle();
  };
  return b;
}

const settle = () => new Promise((resolve) => setTimeout(resolve, 0));

const tab = (id, url, title, extra = {}) => ({ id, windowId: 1, url, title, ...extra });

test('connects at start and sends a snapshot of every tab', async () => {
  const b = makeBrowser({ tabs: [tab(1, 'https://a/', 'A', { active: true }), tab(2, 'chrome://newtab/', 'New Tab')] });
  await b.start();
  assert.equal(b.ports.length, 1);
  assert.equal(b.port().name, 'hopwise.browser_bridge');
  assert.deepEqual(b.port().sent, [{
    type: 'snapshot', focusedWindowId: 1, servers: [], tabs: [
      { tabId: 1, windowId: 1, url: 'https://a/', title: 'A', status: 'complete', active: true },
      { tabId: 2, windowId: 1, url: 'chrome://newtab/', title: 'New Tab', status: 'complete', active: false },
    ],
  }]);
});

test('reports tab changes as they happen', async () => {
  const b = makeBrowser({ tabs: [tab(1, 'https://a/', 'A')] });
  await b.start();
  const t = { id: 1, windowId: 1, url: 'https://b/', title: 'b/', status: 'loading', active: true };
  b.api.tabs.onUpdated.fire(1, { url: 'https://b/' }, t);
  b.api.tabs.onUpdated.fire(1, { favIconUrl: 'x' }, t);  // nothing the host uses
  b.api.tabs.onActivated.fire({ tabId: 1, windowId: 1 });
  b.api.windows.onFocusChanged.fire(-1);  // focus left the browser: not reported
  b.api.windows.onFocusChanged.fire(3);
  b.api.tabs.onRemoved.fire(1, {});
  assert.deepEqual(b.port().sent.slice(1), [
    { type: 'tab', tabId: 1, windowId: 1, url: 'https://b/', title: 'b/', status: 'loading', active: true },
    { type: 'activated', tabId: 1, windowId: 1 },
    { type: 'focused', windowId: 3 },
    { type: 'removed', tabId: 1 },
  ]);
});

test('the end of a load from the navigation events counts as complete', async () => {
  const b = makeBrowser({ tabs: [tab(1, 'https://a/', 'A', { status: 'loading' })] });
  await b.start();
  b.api.webNavigation.onCompleted.fire({ tabId: 1, frameId: 3, url: 'https://a/frame' });
  b.api.webNavigation.onCompleted.fire({ tabId: 1, frameId: 0, url: 'https://a/' });
  await settle();
  assert.deepEqual(b.port().sent.slice(1),
    [{ type: 'tab', tabId: 1, windowId: 1, url: 'https://a/', title: 'A', status: 'complete', active: false }]);
});

test('sends a snapshot again when the host asks (another bridge has to learn every tab)', async () => {
  const b = makeBrowser({ tabs: [tab(1, 'https://a/', 'A')] });
  await b.start();
  b.port().onMessage.fire({ type: 'resync' });
  await settle();
  assert.deepEqual(b.port().sent.map((m) => m.type), ['snapshot', 'snapshot']);
});

test('reconnects with a doubling back-off and sends what was queued before the snapshot', async () => {
  const b = makeBrowser({ tabs: [tab(1, 'https://a/', 'A')] });
  await b.start();
  await b.disconnect();
  // Pages shown while the host is away are kept, in order.
  b.api.tabs.onUpdated.fire(1, { url: 'https://b/' }, { id: 1, windowId: 1, url: 'https://b/', title: 'B', status: 'complete' });
  b.tabs[0] = tab(1, 'https://c/', 'C');
  b.api.tabs.onUpdated.fire(1, { url: 'https://c/' }, { ...b.tabs[0], status: 'complete' });

  await b.advance(999);
  assert.equal(b.ports.length, 1);
  await b.advance(1);
  assert.equal(b.ports.length, 2);
  assert.deepEqual(b.port().sent.map((m) => [m.type, m.url ?? m.tabs?.[0].url]),
    [['tab', 'https://b/'], ['tab', 'https://c/'], ['snapshot', 'https://c/']]);

  // A port that dies at once does not reset the back-off: 2 s, then 4 s.
  await b.disconnect();
  await b.advance(1999);
  assert.equal(b.ports.length, 2);
  await b.advance(1);
  assert.equal(b.ports.length, 3);
  await b.disconnect();
  await b.advance(3999);
  assert.equal(b.ports.length, 3);
  await b.advance(1);
  assert.equal(b.ports.length, 4);

  // One that lived a while starts the back-off again from 1 s.
  await b.advance(20000);
  await b.disconnect();
  await b.advance(1000);
  assert.equal(b.ports.length, 5);
});

test('what the host echoed, and to whom, goes to the next host and a restarted worker', async () => {
  const b = makeBrowser({ tabs: [tab(1, 'https://a/', 'A'), tab(2, 'https://b/', 'B')] });
  await b.start();
  const servers = [{ name: 'HOPWISE1', id: '1:2:3.4' }];
  b.port().onMessage.fire({ type: 'servers', servers });
  b.port().onMessage.fire({ type: 'echoed', tabId: 1, url: 'https://a/' });
  await settle();
  b.api.tabs.onUpdated.fire(1, { title: 'A2' }, { ...b.tabs[0], title: 'A2' });
  assert.equal(b.port().sent.at(-1).echoed, true);
  // A jump within the page stays the page echoed.
  b.api.tabs.onUpdated.fire(1, { url: 'https://a/#part' }, { ...b.tabs[0], url: 'https://a/#part' });
  assert.equal(b.port().sent.at(-1).echoed, true);

  await b.disconnect();
  await b.advance(1000);
  const marks = (b2) => b2.port().sent.at(-1).tabs.map((t) => t.echoed ?? false);
  assert.deepEqual(marks(b), [true, false]);
  assert.deepEqual(b.port().sent.at(-1).servers, servers);

  // A new worker of the same browser session finds them in session storage.
  const restarted = makeBrowser({ tabs: b.tabs, session: b.session });
  await restarted.start();
  assert.deepEqual(marks(restarted), [true, false]);
  assert.deepEqual(restarted.port().sent.at(-1).servers, servers);
});

test('opens pages and brings windows to the front when the host asks', async () => {
  const b = makeBrowser({ tabs: [tab(1, 'https://a/', 'A', { active: true })], focused: 1 });
  await b.start();
  const port = b.port();
  port.onMessage.fire({ type: 'open', id: 1, url: 'https://new/' });
  await settle();
  assert.deepEqual(b.calls[0], ['tabs.create', { url: 'https://new/', active: true, windowId: 1 }]);
  assert.deepEqual(port.sent.at(-1), { type: 'reply', id: 1, ok: true, tabId: 901, windowId: 1 });

  port.onMessage.fire({ type: 'open', id: 2, url: 'https://here/', tabId: 1 });
  await settle();
  assert.deepEqual(b.calls[1], ['tabs.update', 1, { url: 'https://here/', active: true }]);
  assert.deepEqual(port.sent.at(-1), { type: 'reply', id: 2, ok: true, tabId: 1, windowId: 1 });

  port.onMessage.fire({ type: 'activate', id: 3 });
  await settle();
  assert.deepEqual(b.calls.at(-1), ['windows.update', 1, { focused: true }]);
  assert.deepEqual(port.sent.at(-1), { type: 'reply', id: 3, ok: true, tabId: 1, windowId: 1 });

  b.failCreate = 'Cannot open that';
  port.onMessage.fire({ type: 'open', id: 4, url: 'bad:' });
  await settle();
  assert.deepEqual(port.sent.at(-1), { type: 'reply', id: 4, ok: false, error: 'Cannot open that' });

  port.onMessage.fire({ type: 'activate', id: 5, tabId: 77 });
  await settle();
  assert.equal(port.sent.at(-1).ok, false);
});

test('with no window open, a page opens in a new window', async () => {
  const b = makeBrowser({ tabs: [], focused: null });
  await b.start();
  b.port().onMessage.fire({ type: 'open', id: 1, url: 'https://new/' });
  await settle();
  assert.deepEqual(b.calls[0], ['windows.create', { url: 'https://new/', focused: true }]);
  assert.deepEqual(b.port().sent.at(-1), { type: 'reply', id: 1, ok: true, tabId: 950, windowId: 5 });
});

test('overlong addresses are reported as empty, long titles cut whole characters', async () => {
  const long = 'data:text/plain,' + 'x'.repeat(20000);
  const title = 'y'.repeat(2047) + '\u{1F600}z';
  const b = makeBrowser({ tabs: [tab(1, long, 'Data'), tab(2, 'https://a/', title)] });
  await b.start();
  assert.equal(b.port().sent[0].tabs[0].url, '');
  assert.equal(b.port().sent[0].tabs[1].title, 'y'.repeat(2047));
});
