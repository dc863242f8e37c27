<?php
declare(strict_types=1);

namespace FieldBookServer;

/** The endpoints under /api/. Each answers one JSON envelope. */
final class Api
{
    /**
     * @param array<string, mixed> $fields the posted form fields
     * @param array<string, mixed> $files the posted file parts
     */
    public function __construct(
        private readonly Db $db,
        private readonly array $fields,
        private readonly array $files,
        private readonly string $filesUrl,
        private readonly string $remoteAddress,
    ) {
    }

    /** Maps an endpoint file name to its handler. */
    public const ENDPOINTS = [
        'login.php' => 'login',
        'getUpdateData.php' => 'getUpdateData',
        'getpromotion.php' => 'getpromotion',
        'updateOrder.php' => 'updateOrder',
        'uploadFile.php' => 'uploadFile',
        'uploadorderimg.php' => 'uploadorderimg',
        'crashLog.php' => 'crashLog',
    ];

    public function field(string $name): ?string
    {
        $value = $this->fields[$name] ?? null;
        return is_string($value) ? $value : null;
    }

    public function login(): void
    {
        $user = $this->field('username');
        $pass = $this->field('password');
        if ($user === null || $pass === null || $user === '' || $pass === '') {
            throw new Refusal(Refusal::MALFORMED, 'Please enter your user name and password...');
        }
        $username = Cipher::decode($user);
        $password = Cipher::decode($pass);
        $uuid = $this->field('uuid') ?? '';
        $account = $username === null ? null
            : $this->db->one('SELECT * FROM salesman WHERE username = ?', [$username]);
        $accepted = $account !== null && $password !== null && hash_equals((string)$account['password'], $password)
            && (int)$account['status'] === 20;
        $this->logLogin($username ?? $user, $accepted);
        if ($username === null || $password === null) {
            throw new Refusal(Refusal::MALFORMED, 'The login could not be read. Please update the application...');
        }
        if ($account === null || !hash_equals((string)$account['password'], $password)) {
            throw new Refusal(Refusal::CREDENTIALS, 'Login name or password is wrong...');
        }
        if (!$accepted) {
            throw new Refusal(Refusal::CREDENTIALS, 'This account is not active. Please contact your office...');
        }
        Session::pruneExpired($this->db);
        $token = Session::issue($this->db, (string)$account['salesmanCode'], $uuid);
        $this->db->quietWrite(fn () => $this->db->run('UPDATE salesman SET loginDate = ?, ipAddress = ?
            WHERE salesmanCode = ?', [Clock::now(), $this->remoteAddress, $account['salesmanCode']]));
        $this->answerMasterData((string)$account['salesmanCode'], $token, true);
    }

    public function getUpdateData(): void
    {
        $salesman = Session::check($this->db, $this->field('authToken'));
        $token = Session::issue($this->db, $salesman['salesmanCode'], $salesman['tokenUuid']);
        $this->answerMasterData($salesman['salesmanCode'], $token, false);
    }

    /**
     * Every promotion, whatever the mark: the tablet asks right after a login
     * with the mark that login has just answered, so an answer limited to
     * changes since that mark would always be empty.
     */
    public function getpromotion(): void
    {
        $token = $this->field('authToken');
        Session::check($this->db, $token);
        [$mark, $promotions] = $this->db->read(fn (int $mark) => [$mark, Sync::promotions($this->db)]);
        Http::json(['status' => 0, 'authToken' => $token, 'timeStamp' => Clock::mark($mark), 'result' => $promotions]);
    }

    public function updateOrder(): void
    {
        $salesman = Session::check($this->db, $this->field('authToken'));
        $order = Orders::parse($this->fields);
        $orderNo = Orders::store($this->db, $salesman['salesmanCode'], $order, $salesman['tokenUuid']);
        $token = Session::issue($this->db, $salesman['salesmanCode'], $salesman['tokenUuid']);
        Http::json(['status' => 0, 'authToken' => $token, 'result' => [['orderNo' => $orderNo]]]);
    }

    public function uploadFile(): void
    {
        $salesman = Session::check($this->db, $this->field('authToken'));
        $sku = $this->field('skuCode') ?? '';
        if (!Pictures::isSafeSku($sku)) {
            throw new Refusal(Refusal::MALFORMED, 'The picture has no valid item code.');
        }
        $bytes = $this->uploadedFile('file');
        if ($bytes === null || !Pictures::isJpeg($bytes)) {
            throw new Refusal(Refusal::CONTENT, 'The picture is missing or is not a JPEG image.');
        }
        Pictures::storeItemPicture($this->db, $sku, $bytes, 'upload');
        $token = Session::issue($this->db, $salesman['salesmanCode'], $salesman['tokenUuid']);
        Http::json(['status' => 0, 'authToken' => $token]);
    }

    /**
     * An order photo. The bytes come as base64 in the field "image"; the file
     * part of the same name is read only when that field is empty, because
     * the tablet sends it without a file name and PHP drops such parts.
     */
    public function uploadorderimg(): void
    {
        $token = $this->field('authToken');
        $salesman = Session::check($this->db, $token);
        $number = $this->field('orderno') ?? '';
        $order = $number === '' ? null : Orders::find($this->db, $salesman['salesmanCode'], $number);
        if ($order === null) {
            throw new Refusal(Refusal::CONTENT, "The photo belongs to an order the server does not know ($number).");
        }
        $encoded = $this->field('image') ?? '';
        $bytes = $encoded !== '' ? base64_decode($encoded, true) : $this->uploadedFile('image');
        if (!is_string($bytes) || !Pictures::isJpeg($bytes)) {
            throw new Refusal(Refusal::CONTENT, 'The photo is missing or is not a JPEG image.');
        }
        $stored = Pictures::storeOrderPhoto($this->db, $order, $bytes);
        Http::json(['status' => 0, 'authToken' => $token, 'result' => ['orderNo' => $order['orderNo'],
            'file' => $stored['file']]]);
    }

    public function crashLog(): void
    {
        $entry = ['receivedAt' => Clock::now(), 'remoteAddress' => $this->remoteAddress];
        foreach (['deviceModel', 'appVersion', 'osVersion', 'language', 'uuid', 'crash_message'] as $name) {
            $value = $this->field($name);
            if ($value !== null) {
                $entry[$name] = $value;
            }
        }
        $line = json_encode($entry, Http::JSON_FLAGS) . "\n";
        if (file_put_contents(Config::crashLogPath($this->db->dataDir), $line, FILE_APPEND | LOCK_EX) === false) {
            throw new \RuntimeException('cannot append to the crash log');
        }
        Http::json(['status' => 0]);
    }

    private function answerMasterData(string $salesmanCode, string $token, bool $isLogin): void
    {
        $arrays = $isLogin ? Sync::ARRAYS : array_values(array_diff(Sync::ARRAYS, ['brandArray']));
        http_response_code(200);
        header('Content-Type: application/json');
        header('Cache-Control: no-store');
        $this->db->read(function (int $mark) use ($salesmanCode, $token, $isLogin, $arrays): void {
            $since = Clock::since($this->field('timeStamp'), $mark);
            $out = new JsonWriter();
            $out->beginObject();
            $out->member('status', 0);
            $out->member('authToken', $token);
            $out->member('timeStamp', Clock::mark($mark));
            $out->key('result');
            $out->beginObject();
            if ($isLogin) {
                $out->member('salesmanCode', $salesmanCode);
            }
            Sync::writeArrays($this->db, $out, $arrays, $salesmanCode, $since, $mark, $this->filesUrl);
            $out->endObject();
            $out->endObject();
            $out->flush();
        });
    }

    private function logLogin(string $username, bool $accepted): void
    {
        $this->db->quietWrite(fn () => $this->db->run('INSERT INTO loginLog (at, username, accepted, timeStamp,
            deviceModel, appVersion, osVersion, language, uuid, remoteAddress) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)', [
            Clock::now(), $username, $accepted ? 1 : 0, $this->field('timeStamp') ?? '',
            $this->field('deviceModel') ?? '', $this->field('appVersion') ?? '', $this->field('osVersion') ?? '',
            $this->field('language') ?? '', $this->field('uuid') ?? '', $this->remoteAddress]));
    }

    private function uploadedFile(string $name): ?string
    {
        $file = $this->files[$name] ?? null;
        if (!is_array($file) || ($file['error'] ?? UPLOAD_ERR_NO_FILE) !== UPLOAD_ERR_OK
            || !is_string($file['tmp_name'] ?? null) || !is_uploaded_file($file['tmp_name'])) {
            return null;
        }
        $bytes = file_get_contents($file['tmp_name']);
        return ($bytes === false || $bytes === '') ? null : $bytes;
    }
}
