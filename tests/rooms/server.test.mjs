// The rooms server as a page meets it: what the shared page user may do, what it is refused
// (by its permissions or by the account's JetStream limits), and a cluster that keeps acking
// when one of its three servers dies.
import assert from 'node:assert/strict';
import crypto from 'node:crypto';
import { after, before, describe, test } from 'node:test';
import { wsconnect } from '@nats-io/nats-core';
import { connect } from '@nats-io/transport-node';
import { jetstream, jetstreamManager } from '@nats-io/jetstream';
import { pageUser, retry, startServers } from '../../tools/web/rooms-servers.mjs';
import { roomStream as pageRoomStream } from '../../tools/web/room-lib.mjs';

const roomId = () => crypto.randomBytes(16).toString('hex');
const streamOf = (room) => `ROOM_${room}`;

// A room's stream as a page creates it, with some settings changed.
const roomStream = (room, extra = {}) => ({ ...pageRoomStream(room), ...extra });

// A page's connection, with every permission violation the server reports kept in order;
// closed by `later` (a test's after).
async function pageConnection(servers, later, open = connect) {
    const nc = await open({ servers, ...pageUser, reconnectTimeWait: 250 });
    later(() => nc.close());
    const violations = [];
    (async () => {
        for await (const status of nc.status()) {
            if (status.type === 'error' && status.error?.name === 'PermissionViolationError') {
                violations.push(status.error);
            }
        }
    })();
    return { nc, violations, js: jetstream(nc), jsm: await retry(() => jetstreamManager(nc)) };
}

async function waitFor(what, check, timeout = 3000) {
    const end = Date.now() + timeout;
    for (;;) {
        const value = check();
        if (value) return value;
        if (Date.now() > end) assert.fail(`timed out waiting for ${what}`);
        await new Promise((r) => setTimeout(r, 20));
    }
}

async function readLog(js, room, count) {
    const consumer = await js.consumers.get(streamOf(room));
    const messages = await consumer.fetch({ max_messages: count, expires: 3000 });
    const read = [];
    for await (const m of messages) read.push(m.string());
    return read;
}

describe('the page user on one server', () => {
    const room = roomId();
    const closers = [];
    let page;
    let servers;
    before(async () => {
        // Few streams, so that the cap is met cheaply.
        servers = await startServers(1, { limits: { max_streams: 3 } });
        page = await pageConnection(servers[0].url, (close) => closers.unshift(close));
        await page.jsm.streams.add(roomStream(room));
    });
    after(async () => {
        for (const close of closers) await close();
        await servers?.stop();
    });

    // Every allowed operation leaves no permission violation behind.
    const allowed = [
        [
            'publishes to its room log and gets each ack in order',
            async ({ js }) => {
                for (const [i, text] of ['a', 'b', 'c'].entries()) {
                    const ack = await js.publish(`room.${room}.log`, text);
                    assert.equal(ack.stream, streamOf(room));
                    assert.equal(ack.seq, i + 1);
                }
            },
        ],
        [
            'reads the log back through an ordered consumer',
            async ({ js }) => assert.deepEqual(await readLog(js, room, 3), ['a', 'b', 'c']),
        ],
        [
            'reads its stream info: the limits it was created with',
            async ({ jsm }) => {
                const info = await jsm.streams.info(streamOf(room));
                assert.equal(info.config.max_msgs, 20000);
                assert.equal(info.state.messages, 3);
            },
        ],
        [
            'subscribes to and publishes on its room req, clock and hello',
            async ({ nc }) => {
                for (const kind of ['req', 'clock', 'hello']) {
                    const subject = `room.${room}.${kind}`;
                    const sub = nc.subscribe(subject, { max: 1 });
                    await nc.flush();
                    nc.publish(subject, kind);
                    for await (const m of sub) assert.equal(m.string(), kind);
                    assert.equal(sub.getReceived(), 1, subject);
                }
            },
        ],
        [
            "answers a request on its room's req once, on the reply subject it came with",
            async ({ nc }) => {
                const sub = nc.subscribe(`room.${room}.req`, { max: 1 });
                (async () => {
                    for await (const m of sub) m.respond('ok');
                })();
                const reply = await nc.request(`room.${room}.req`, 'join', { timeout: 2000 });
                assert.equal(reply.string(), 'ok');
            },
        ],
    ];
    for (const [name, act] of allowed) {
        test(`allowed: ${name}`, async () => {
            const seen = page.violations.length;
            await act(page);
            await page.nc.flush();
            assert.deepEqual(page.violations.slice(seen), []);
        });
    }

    test('allowed: a page over WebSocket publishes to a log and gets its ack', async (t) => {
        if (typeof WebSocket === 'undefined') {
            t.skip(
                'no WebSocket in this node: run with --experimental-websocket (tests/rooms/run)',
            );
            return;
        }
        const ws = await pageConnection(servers[0].wsUrl, (close) => t.after(close), wsconnect);
        assert.equal(ws.nc.info.max_payload, 4096);
        const ack = await ws.js.publish(`room.${room}.log`, 'd');
        assert.equal(ack.seq, 4);
        assert.deepEqual(ws.violations, []);
    });

    // Refused by the permissions: the server answers with a violation naming the subject, and
    // the stream is as it was.
    const messages = async ({ jsm }) => (await jsm.streams.info(streamOf(room))).state.messages;
    const refused = [
        ['publish', 'other.subject', ({ nc }) => nc.publish('other.subject', 'x')],
        ['publish', '_INBOX.someone', ({ nc }) => nc.publish('_INBOX.someone', 'a forged reply')],
        ['publish', '$SYS.REQ.SERVER.PING', ({ nc }) => nc.publish('$SYS.REQ.SERVER.PING')],
        ['publish', '$JS.API.STREAM.NAMES', ({ jsm }) => jsm.streams.names().next()],
        ['publish', '$JS.API.STREAM.LIST', ({ jsm }) => jsm.streams.list().next()],
        [
            'publish',
            `$JS.API.STREAM.DELETE.${streamOf(room)}`,
            ({ jsm }) => jsm.streams.delete(streamOf(room)),
        ],
        [
            'publish',
            `$JS.API.STREAM.PURGE.${streamOf(room)}`,
            ({ jsm }) => jsm.streams.purge(streamOf(room)),
        ],
        [
            'publish',
            `$JS.API.STREAM.MSG.DELETE.${streamOf(room)}`,
            ({ jsm }) => jsm.streams.deleteMessage(streamOf(room), 1),
        ],
        [
            'publish',
            `$JS.API.STREAM.UPDATE.${streamOf(room)}`,
            ({ jsm }) => jsm.streams.update(streamOf(room), { max_msgs: -1, max_bytes: 4 << 20 }),
        ],
        [
            'publish',
            `$JS.API.CONSUMER.LIST.${streamOf(room)}`,
            ({ jsm }) => jsm.consumers.list(streamOf(room)).next(),
        ],
        ['subscription', 'room.>', ({ nc }) => nc.subscribe('room.>')],
        ['subscription', 'room.*.>', ({ nc }) => nc.subscribe('room.*.>')],
        ['subscription', 'room.*.log', ({ nc }) => nc.subscribe('room.*.log')],
        ['subscription', `room.${room}.log`, ({ nc }) => nc.subscribe(`room.${room}.log`)],
        ['subscription', '>', ({ nc }) => nc.subscribe('>')],
        ['subscription', '$JS.API.>', ({ nc }) => nc.subscribe('$JS.API.>')],
    ];
    for (const [operation, subject, act] of refused) {
        test(`refused: ${operation} ${subject}`, async () => {
            const held = await messages(page);
            const seen = page.violations.length;
            const outcome = Promise.resolve()
                .then(() => act(page))
                .catch((error) => error);
            const violation = await waitFor(`a violation for ${subject}`, () =>
                page.violations.slice(seen).find((v) => v.subject === subject),
            );
            assert.equal(violation.operation, operation);
            if (operation === 'publish' && subject.startsWith('$JS.API')) {
                assert.ok((await outcome) instanceof Error, `${subject} answered`);
            }
            assert.equal(await messages(page), held, 'the log changed');
        });
    }

    // Refused by the account's JetStream limits (rooms.conf), whatever the page asks.
    const overLimits = [
        ['a stream without max_bytes', roomStream(roomId(), { max_bytes: -1 }), /max bytes set/],
        [
            'a stream over 4 MB',
            roomStream(roomId(), { max_bytes: 8 << 20 }),
            /exceeds account limit/,
        ],
        ['a stream in memory', roomStream(roomId(), { storage: 'memory' }), /insufficient memory/],
    ];
    for (const [name, config, message] of overLimits) {
        test(`refused by the limits: ${name}`, async () => {
            await assert.rejects(page.jsm.streams.add(config), message);
        });
    }

    test('refused by the limits: a room past max_streams (3 in this test)', async () => {
        await page.jsm.streams.add(roomStream(roomId()));
        await page.jsm.streams.add(roomStream(roomId()));
        await assert.rejects(
            page.jsm.streams.add(roomStream(roomId())),
            /maximum number of streams/,
        );
    });

    test('refused by the limits: a message over max_payload', async () => {
        assert.equal(page.nc.info.max_payload, 4096);
        await assert.rejects(page.js.publish(`room.${room}.log`, new Uint8Array(5000)), /payload/i);
    });
});

test('a cluster of three keeps acking when its stream leader dies', async (t) => {
    const servers = await startServers(3, { t });
    const page = await pageConnection(
        servers.map((s) => s.url),
        (close) => t.after(close),
    );
    const room = roomId();
    // On a loaded machine the elections, and a consumer request that went to the dead server,
    // take tens of seconds.
    const patience = 60_000;
    // The cluster elects its JetStream leader after the routes connect.
    const info = await retry(
        () => page.jsm.streams.add(roomStream(room, { num_replicas: 3 })),
        patience,
    );
    assert.equal(info.cluster.replicas.length, 2);
    for (let i = 0; i < 5; i++) await page.js.publish(`room.${room}.log`, `before ${i}`);

    const leader = (await page.jsm.streams.info(streamOf(room))).cluster.leader;
    const victim = servers.find((s) => s.name === leader);
    assert.ok(victim, `leader ${leader} is one of ours`);
    await victim.kill();

    // Acks may pause while the two left elect a leader; the message id keeps a retry single.
    for (let i = 0; i < 5; i++) {
        await retry(
            () =>
                page.js.publish(`room.${room}.log`, `after ${i}`, {
                    timeout: 1000,
                    msgID: `after-${i}`,
                }),
            patience,
        );
    }
    const now = await page.jsm.streams.info(streamOf(room));
    assert.notEqual(now.cluster.leader, leader);
    assert.equal(now.state.messages, 10);
    // A consumer is placed by the metadata leader, which may have died too.
    const read = await retry(async () => {
        const log = await readLog(page.js, room, 10);
        if (log.length < 10) throw new Error(`read ${log.length} of 10`);
        return log;
    }, patience);
    assert.deepEqual(read, [
        ...Array.from({ length: 5 }, (_, i) => `before ${i}`),
        ...Array.from({ length: 5 }, (_, i) => `after ${i}`),
    ]);
});
