// One rooms server under many rooms at once, with headless protocol clients in place of pages:
//   node tools/web/bench-rooms-scale.mjs [--rooms 1000] [--seconds 60]
// Each room has four devices, each its own connection, speaking as the pages do (docs/rooms.md):
// the host makes the room's stream, answers requests by appending stamped entries (acked), sends
// a clock mark a second and hellos; three guests read the log through ordered consumers, hear
// the clock and hellos, and one of them asks for a press every 2 s (a human's pace). Prints the
// stamping delay (a guest's request to the host's answer, which waits for the server's ack),
// the delivery delay (the host's append to a guest reading it), the server's CPU and memory,
// and the message rates. A benchmark, not a test: it asserts nothing.
import crypto from 'node:crypto';
import fs from 'node:fs';
import { connect } from '@nats-io/transport-node';
import { jetstream, jetstreamManager } from '@nats-io/jetstream';
import { roomStream } from './room-lib.mjs';
import { pageUser, startServers } from './rooms-servers.mjs';

const option = (name, fallback) => {
    const at = process.argv.indexOf(name);
    return at > 0 ? Number(process.argv[at + 1]) : fallback;
};
const roomCount = option('--rooms', 1000);
const seconds = option('--seconds', 60);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const quantile = (values, q) => {
    const sorted = [...values].sort((a, b) => a - b);
    return sorted[Math.min(sorted.length - 1, Math.floor(sorted.length * q))];
};

const servers = await startServers(1, {
    limits: { max_connections: 4 * roomCount + 100, max_streams: roomCount },
});
const server = servers[0];
const cpuTicks = () => {
    const fields = fs
        .readFileSync(`/proc/${server.child.pid}/stat`, 'utf8')
        .split(') ')[1]
        .split(' ');
    return Number(fields[11]) + Number(fields[12]); // utime + stime, in clock ticks
};
const rss = () =>
    Number(/VmRSS:\s+(\d+)/.exec(fs.readFileSync(`/proc/${server.child.pid}/status`, 'utf8'))[1]);

const stamping = [];
const refusals = new Map(); // the server's refusals of an append, by their words
const delivery = [];
let measuring = false;
const timers = [];
const connections = [];

async function device() {
    const nc = await connect({ servers: server.url, ...pageUser, reconnectTimeWait: 500 });
    connections.push(nc);
    return nc;
}

async function openRoom(index) {
    const id = crypto.randomBytes(16).toString('hex');
    const subject = (what) => `room.${id}.${what}`;
    const host = await device();
    const jsm = await jetstreamManager(host);
    await jsm.streams.add(roomStream(id));
    const js = jetstream(host);
    let seq = 1;
    await js.publish(subject('log'), 'room 1', { msgID: `${id}.1` });
    let time = 0;
    (async () => {
        for await (const request of host.subscribe(subject('req'))) {
            const { f } = JSON.parse(request.string());
            seq += 1;
            time += 1;
            try {
                await js.publish(subject('log'), `at ${time} click ${f[1]} ${f[2]} ${Date.now()}`, {
                    msgID: `${id}.${seq}`,
                });
                request.respond('{"ok":true}');
            } catch (error) {
                refusals.set(String(error.message), (refusals.get(String(error.message)) ?? 0) + 1);
                request.respond('{"ok":false}');
            }
        }
    })();
    const guests = [];
    for (let dev = 1; dev <= 3; ++dev) {
        const nc = await device();
        const consumer = await jetstream(nc).consumers.get(`ROOM_${id}`, {
            inactive_threshold: 30_000,
        });
        const messages = await consumer.consume({ expires: 4000 });
        (async () => {
            for await (const message of messages) {
                const words = message.string().split(' ');
                if (measuring && words[0] === 'at') delivery.push(Date.now() - Number(words[5]));
            }
        })();
        for (const what of ['clock', 'hello']) {
            (async () => {
                for await (const m of nc.subscribe(subject(what))) m.string();
            })();
        }
        guests.push(nc);
    }
    (async () => {
        for await (const m of host.subscribe(subject('hello'))) m.string();
    })();
    const token = crypto.randomBytes(16).toString('hex');
    // The room's rhythm, started at a random phase so that rooms do not beat together.
    const phase = Math.random() * 2000;
    timers.push(
        setTimeout(() => {
            let n = 0;
            timers.push(
                setInterval(async () => {
                    const asker = guests[n++ % 3];
                    const body = JSON.stringify({
                        token,
                        k: 'input',
                        i: 'click',
                        f: [1, n, index],
                    });
                    const sent = Date.now();
                    try {
                        await asker.request(subject('req'), body, { timeout: 10_000 });
                        if (measuring) stamping.push(Date.now() - sent);
                    } catch {
                        if (measuring) stamping.push(10_000);
                    }
                }, 2000),
                setInterval(() => host.publish(subject('clock'), `${(time += 1)} ${seq}`), 1000),
                setInterval(() => {
                    for (const [dev, nc] of [host, ...guests].entries()) {
                        nc.publish(subject('hello'), JSON.stringify({ dev, role: 'guest' }));
                    }
                }, 2000),
            );
        }, phase),
    );
}

try {
    const setup = Date.now();
    for (let i = 0; i < roomCount; ++i) {
        await openRoom(i);
        if ((i + 1) % 100 === 0) process.stderr.write(`rooms open: ${i + 1}\n`);
    }
    process.stderr.write(
        `${roomCount} rooms open in ${((Date.now() - setup) / 1000).toFixed(1)} s\n`,
    );
    await sleep(5000); // every room in its rhythm
    const before = { ticks: cpuTicks(), at: Date.now(), node: process.cpuUsage() };
    const statsBefore = await fetchVarz();
    measuring = true;
    await sleep(seconds * 1000);
    measuring = false;
    const elapsed = (Date.now() - before.at) / 1000;
    const serverCpu = (cpuTicks() - before.ticks) / 100 / elapsed;
    const nodeUsage = process.cpuUsage(before.node);
    const statsAfter = await fetchVarz();
    const rate = (key) => ((statsAfter[key] - statsBefore[key]) / elapsed).toFixed(0);
    const storeBytes = dirBytes(`${server.dir}`);
    console.log(
        [
            `rooms ${roomCount}, devices ${4 * roomCount} (one connection each), ${elapsed.toFixed(0)} s measured`,
            `stamping delay (request to answer, after the ack): median ${quantile(stamping, 0.5)} ms, ` +
                `99th percentile ${quantile(stamping, 0.99)} ms, over ${stamping.length} requests`,
            `delivery to a guest (append to read): median ${quantile(delivery, 0.5)} ms, ` +
                `99th percentile ${quantile(delivery, 0.99)} ms`,
            `server CPU ${(serverCpu * 100).toFixed(0)} % of one core, memory ${(rss() / 1024).toFixed(0)} MB resident`,
            `messages into the server ${rate('in_msgs')}/s, out of it ${rate('out_msgs')}/s; ` +
                `bytes in ${rate('in_bytes')}/s, out ${rate('out_bytes')}/s`,
            `store on disk after the run: ${(storeBytes / 1e6).toFixed(1)} MB`,
            `appends refused: ${[...refusals].map(([why, n]) => `${n} (${why})`).join(', ') || 'none'}`,
            `the clients' own CPU (this process): ${(((nodeUsage.user + nodeUsage.system) / 1e6 / elapsed) * 100).toFixed(0)} % of one core`,
        ].join('\n'),
    );
} finally {
    for (const timer of timers) clearInterval(timer);
    await Promise.all(connections.map((nc) => nc.close().catch(() => {})));
    await servers.stop();
}

// The server's own counters, through its monitoring endpoint's equivalent on the system
// account is not open to the page user; so they are read from a $SYS-free source: /varz is not
// configured either, hence the counts from the server's log are not used. Instead each client's
// connection statistics add up to the server's totals.
async function fetchVarz() {
    const totals = { in_msgs: 0, out_msgs: 0, in_bytes: 0, out_bytes: 0 };
    for (const nc of connections) {
        const s = nc.stats();
        // What a client sent, the server took in; what it received, the server sent out.
        totals.in_msgs += s.outMsgs;
        totals.out_msgs += s.inMsgs;
        totals.in_bytes += s.outBytes;
        totals.out_bytes += s.inBytes;
    }
    return totals;
}

function dirBytes(dir) {
    let total = 0;
    for (const entry of fs.readdirSync(dir, { withFileTypes: true, recursive: true })) {
        if (entry.isFile())
            total += fs.statSync(`${entry.parentPath ?? entry.path}/${entry.name}`).size;
    }
    return total;
}
