// Rooms servers for the tests and the room driver: N nats-servers on 127.0.0.1 and free ports, each with its run
// configuration written by scripts/nats-server (so the tests run the policy that make server
// runs), optionally clustered; ready when they accept connections; stopped after the test file.
import { spawn, execFileSync } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const pageUser = { user: 'page', pass: 'shinkei-page' };

const running = new Set();
// A last resort should the test process end without its after() hooks.
process.on('exit', () => {
    for (const server of running) server.child.kill('SIGKILL');
});

// Distinct free ports on 127.0.0.1: all held open until all are chosen.
async function freePorts(count) {
    const held = [];
    try {
        for (let i = 0; i < count; i++) {
            const listener = net.createServer();
            await new Promise((resolve, reject) => {
                listener.once('error', reject);
                listener.listen(0, '127.0.0.1', resolve);
            });
            held.push(listener);
        }
        return held.map((listener) => listener.address().port);
    } finally {
        await Promise.all(held.map((listener) => new Promise((r) => listener.close(r))));
    }
}

function accepts(port) {
    return new Promise((resolve) => {
        const socket = net.connect({ host: '127.0.0.1', port });
        socket.once('connect', () => {
            socket.destroy();
            resolve(true);
        });
        socket.once('error', () => resolve(false));
    });
}

// Account limits rewritten in the server's copy of rooms.conf, e.g. { max_streams: 2 }.
function setLimits(confPath, limits) {
    let text = fs.readFileSync(confPath, 'utf8');
    for (const [key, value] of Object.entries(limits)) {
        const line = new RegExp(`^(\\s*${key}:).*$`, 'm');
        if (!line.test(text)) throw new Error(`rooms.conf has no ${key}`);
        text = text.replace(line, `$1 ${value}`);
    }
    fs.writeFileSync(confPath, text);
}

class Server {
    constructor(options) {
        Object.assign(this, options);
        this.url = `nats://127.0.0.1:${this.port}`;
        this.wsUrl = `ws://127.0.0.1:${this.wsPort}`;
        this.log = '';
    }

    start() {
        this.child = spawn('nats-server', ['-c', this.conf], {
            stdio: ['ignore', 'pipe', 'pipe'],
        });
        this.exited = new Promise((resolve) => this.child.once('exit', resolve));
        running.add(this);
        const keep = (chunk) => {
            this.log += chunk;
        };
        this.child.stdout.on('data', keep);
        this.child.stderr.on('data', keep);
    }

    async ready(timeout = 10_000) {
        const end = Date.now() + timeout;
        while (!(await accepts(this.port))) {
            if (this.child.exitCode !== null) {
                throw new Error(`${this.name} exited ${this.child.exitCode}:\n${this.log}`);
            }
            if (Date.now() > end) throw new Error(`${this.name} not ready:\n${this.log}`);
            await new Promise((r) => setTimeout(r, 50));
        }
    }

    // SIGTERM, then SIGKILL if it has not gone within 5 s.
    async stop() {
        if (!running.has(this)) return;
        if (this.child.exitCode === null && this.child.signalCode === null) {
            this.child.kill('SIGTERM');
            const timer = setTimeout(() => this.child.kill('SIGKILL'), 5000);
            await this.exited;
            clearTimeout(timer);
        }
        running.delete(this);
    }

    // Gone at once, as a crash or a pulled plug.
    async kill() {
        this.child.kill('SIGKILL');
        await this.exited;
        running.delete(this);
    }
}

// Starts `count` servers (a cluster if more than one, unless told) on free ports. Returns them,
// each with url and wsUrl, as an array whose stop() stops them all and removes their folders;
// given a test `t`, that is done after it.
export async function startServers(count = 1, { cluster = count > 1, limits = {}, t } = {}) {
    const top = fs.mkdtempSync(path.join(os.tmpdir(), 'shinkei-rooms-'));
    const ports = await freePorts(count * 3);
    const servers = Array.from({ length: count }, (_, i) => {
        const [port, wsPort, clusterPort] = ports.slice(i * 3, i * 3 + 3);
        return {
            name: `rooms-${i + 1}`,
            port,
            wsPort,
            clusterPort,
            dir: path.join(top, `n${i + 1}`),
        };
    });
    const started = servers.map((s) => {
        const env = {
            ...process.env,
            NATS_HOST: '127.0.0.1',
            NATS_PORT: String(s.port),
            NATS_WS_PORT: String(s.wsPort),
            NATS_DIR: s.dir,
            NATS_NAME: s.name,
        };
        if (cluster) {
            env.NATS_CLUSTER_PORT = String(s.clusterPort);
            env.NATS_ROUTES = servers
                .filter((other) => other !== s)
                .map((other) => `127.0.0.1:${other.clusterPort}`)
                .join(',');
        }
        const conf = execFileSync(path.join(root, 'scripts/nats-server'), ['--write-only'], {
            env,
            encoding: 'utf8',
        }).trim();
        setLimits(path.join(s.dir, 'rooms.conf'), limits);
        return new Server({ ...s, conf });
    });
    started.stop = async () => {
        await Promise.all(started.map((server) => server.stop()));
        fs.rmSync(top, { recursive: true, force: true });
    };
    t?.after(started.stop);
    try {
        for (const server of started) server.start();
        await Promise.all(started.map((server) => server.ready()));
    } catch (error) {
        await started.stop();
        throw error;
    }
    return started;
}

// Calls `attempt` until it resolves, for up to `timeout` ms: for a cluster still electing.
export async function retry(attempt, timeout = 20_000) {
    const end = Date.now() + timeout;
    for (;;) {
        try {
            return await attempt();
        } catch (error) {
            if (Date.now() > end) throw error;
            await new Promise((r) => setTimeout(r, 250));
        }
    }
}

// A TCP relay to `port` on 127.0.0.1, to cut one device off the server and let it back:
// cut() drops its connections and refuses new ones until restore().
export async function startRelay(port) {
    const [own] = await freePorts(1);
    const sockets = new Set();
    let open = true;
    const relay = net.createServer((client) => {
        if (!open) return client.destroy();
        const upstream = net.connect({ host: '127.0.0.1', port });
        for (const [from, to] of [
            [client, upstream],
            [upstream, client],
        ]) {
            sockets.add(from);
            from.pipe(to);
            from.on('error', () => to.destroy());
            from.on('close', () => {
                sockets.delete(from);
                to.destroy();
            });
        }
    });
    await new Promise((resolve) => relay.listen(own, '127.0.0.1', resolve));
    return {
        port: own,
        wsUrl: `ws://127.0.0.1:${own}`,
        cut() {
            open = false;
            for (const socket of sockets) socket.destroy();
        },
        restore() {
            open = true;
        },
        close: () => new Promise((resolve) => relay.close(resolve)),
    };
}
